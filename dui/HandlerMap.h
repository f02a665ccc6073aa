#pragma once
// An ordered map from event code to the delegates registered for it, in
// registration order. Controls keep one; the UiContext keeps the
// application-level one.

#include "dui/Delegate.h"

#include <cstdint>
#include <map>
#include <vector>

namespace nelvo {

class HandlerMap {
public:
    using List = std::vector<DelegateRef>;

    HandlerMap() = default;
    HandlerMap(const HandlerMap&) = delete;
    HandlerMap& operator=(const HandlerMap&) = delete;

    // Appends a new delegate from `pool` to the list of `code`. A null
    // reference (nothing registered) when the pool is exhausted.
    DelegateRef add(int32_t code, void* object, EventHandler handler,
                    DelegatePool& pool = DelegatePool::shared());

    // Clears and unlinks the first live delegate of `code` registered with
    // the same object and function. False when there is none.
    bool remove(int32_t code, void* object, EventHandler handler);

    // The list of `code`, or null.
    const List* find(int32_t code) const;

    // Clears every delegate's handler (so deliveries in progress skip them)
    // and drops the lists.
    void clearAll();

    bool empty() const { return lists_.empty(); }

private:
    std::map<int32_t, List> lists_;
};

} // namespace nelvo
