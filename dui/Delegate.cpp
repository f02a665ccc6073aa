#include "dui/Delegate.h"

namespace nelvo {

void DelegateRef::reset() {
    Delegate* c = std::exchange(cell_, nullptr);
    if (c && --c->refs_ == 0) c->pool_->giveBack(c);
}

DelegatePool::DelegatePool(size_t capacity)
    : cells_(new Delegate[capacity]), capacity_(capacity), available_(capacity) {
    for (size_t i = capacity; i-- > 0;) {
        cells_[i].nextFree_ = free_;
        free_ = &cells_[i];
    }
}

DelegatePool& DelegatePool::shared() {
    // Never destroyed: delegates may be released by static destructors.
    static DelegatePool* pool = new DelegatePool(kSharedCapacity);
    return *pool;
}

DelegateRef DelegatePool::acquire(void* object, EventHandler handler) {
    Delegate* c = free_;
    if (!c) return DelegateRef();
    free_ = c->nextFree_;
    --available_;
    c->object_ = object;
    c->handler_ = handler;
    c->refs_ = 1;
    c->pool_ = this;
    return DelegateRef(c);
}

void DelegatePool::giveBack(Delegate* c) {
    c->object_ = nullptr;
    c->handler_ = nullptr;
    c->nextFree_ = free_;
    free_ = c;
    ++available_;
}

} // namespace nelvo
