#include "dui/HandlerMap.h"

namespace nelvo {

DelegateRef HandlerMap::add(int32_t code, void* object, EventHandler handler, DelegatePool& pool) {
    DelegateRef d = pool.acquire(object, handler);
    if (d) lists_[code].push_back(d);
    return d;
}

bool HandlerMap::remove(int32_t code, void* object, EventHandler handler) {
    auto it = lists_.find(code);
    if (it == lists_.end()) return false;
    List& list = it->second;
    for (auto d = list.begin(); d != list.end(); ++d) {
        if ((*d)->matches(object, handler)) {
            (*d)->clear();
            list.erase(d);
            return true;
        }
    }
    return false;
}

const HandlerMap::List* HandlerMap::find(int32_t code) const {
    auto it = lists_.find(code);
    return it == lists_.end() ? nullptr : &it->second;
}

void HandlerMap::clearAll() {
    for (auto& [code, list] : lists_)
        for (DelegateRef& d : list) d->clear();
    lists_.clear();
}

} // namespace nelvo
