#pragma once
// Delegates: {object, handler function} cells from a fixed pool, shared by
// reference count. A cell goes back to its pool's free list when the last
// reference is released. Clearing the handler (removal, destruction of the
// owning control) leaves the cell alive for whoever still holds it, and
// every delivery skips a cleared delegate.
//
// UI thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace nelvo {

class Control;
struct Event;
class DelegatePool;

// Called with the registered object, the control whose handler list held the
// delegate (null for application-level events) and the event.
using EventHandler = void (*)(void* object, Control* sender, Event* event);

class Delegate {
public:
    void* object() const { return object_; }
    EventHandler handler() const { return handler_; }
    bool cleared() const { return handler_ == nullptr; }
    void clear() { handler_ = nullptr; }
    bool matches(void* object, EventHandler handler) const {
        return handler_ && object_ == object && handler_ == handler;
    }
    void invoke(Control* sender, Event* event) const {
        if (handler_) handler_(object_, sender, event);
    }

private:
    friend class DelegatePool;
    friend class DelegateRef;

    void* object_ = nullptr;
    EventHandler handler_ = nullptr;
    uint32_t refs_ = 0;
    union {
        Delegate* nextFree_ = nullptr;  // while on the free list
        DelegatePool* pool_;  // while handed out
    };
};

// A counted reference to a pooled delegate. Copying never allocates.
class DelegateRef {
public:
    DelegateRef() = default;
    DelegateRef(const DelegateRef& o) : cell_(o.cell_) {
        if (cell_) ++cell_->refs_;
    }
    DelegateRef(DelegateRef&& o) noexcept : cell_(std::exchange(o.cell_, nullptr)) {}
    DelegateRef& operator=(DelegateRef o) noexcept {
        std::swap(cell_, o.cell_);
        return *this;
    }
    ~DelegateRef() { reset(); }

    void reset();
    Delegate* get() const { return cell_; }
    Delegate* operator->() const { return cell_; }
    Delegate& operator*() const { return *cell_; }
    explicit operator bool() const { return cell_ != nullptr; }
    uint32_t useCount() const { return cell_ ? cell_->refs_ : 0; }

private:
    friend class DelegatePool;
    explicit DelegateRef(Delegate* cell) : cell_(cell) {}
    Delegate* cell_ = nullptr;
};

class DelegatePool {
public:
    static constexpr size_t kSharedCapacity = 50000;

    // All cells are linked into the free list here.
    explicit DelegatePool(size_t capacity);
    DelegatePool(const DelegatePool&) = delete;
    DelegatePool& operator=(const DelegatePool&) = delete;

    // The process-wide pool of 50 000 cells that controls and the
    // application-level handlers draw from.
    static DelegatePool& shared();

    // A new delegate, or a null reference when every cell is in use; the
    // pool is left as it was.
    DelegateRef acquire(void* object, EventHandler handler);

    size_t capacity() const { return capacity_; }
    size_t available() const { return available_; }

private:
    friend class DelegateRef;
    void giveBack(Delegate* cell);

    std::unique_ptr<Delegate[]> cells_;
    size_t capacity_;
    size_t available_;
    Delegate* free_ = nullptr;
};

} // namespace nelvo
