#pragma once
// The set of controls attached to a window. Delivery checks membership
// before it touches a control, so an address from a posted task is never
// followed after its control left. Each attachment gets its own serial
// number, which tells a control apart from a later one that reuses its
// memory (pool slots are reused). Changed on the UI thread only; read from
// any thread (postEvent).

#include <cstddef>
#include <cstdint>

namespace nelvo {

class Control;

class LiveSet {
public:
    // Returns the attachment serial (never 0).
    static uint32_t insert(const Control* c);
    static void erase(const Control* c);
    static bool contains(const Control* c) { return serial(c) != 0; }
    // The serial of the control's current attachment; 0 when not attached.
    static uint32_t serial(const Control* c);
    static size_t size();
};

} // namespace nelvo
