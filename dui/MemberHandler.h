#pragma once
// Event handlers as member functions. memberHandler<&Edit::onKeyDown> is the
// plain function a delegate stores; it calls the member on the object the
// delegate was registered with. listen<&Edit::onKeyDown>(edit, code)
// registers it on the control itself.

#include "dui/Control.h"
#include "dui/Event.h"

namespace nelvo {

namespace detail {
template <typename Method>
struct HandlerClass;
template <typename C>
struct HandlerClass<void (C::*)(Event&)> {
    using type = C;
};
} // namespace detail

template <auto Method>
void memberHandler(void* object, Control*, Event* event) {
    using C = typename detail::HandlerClass<decltype(Method)>::type;
    (static_cast<C*>(object)->*Method)(*event);
}

// Registers `Method` for `code` on `control`, called on `control`. When the
// delegate pool is exhausted the control cannot work as it should: it is
// disabled (so no input reaches it half-handled) and false is returned.
template <auto Method, typename T>
bool listen(T& control, int32_t code) {
    using C = typename detail::HandlerClass<decltype(Method)>::type;
    C& target = control;
    if (control.addHandler(code, static_cast<void*>(&target), &memberHandler<Method>)) return true;
    control.setFlag(ControlFlag::Enabled, false);
    return false;
}

} // namespace nelvo
