#pragma once
// The event record and the event codes. Plain data: it is copied into
// posted tasks and handed to handlers by pointer.

#include "dui/Geometry.h"

#include <cstdint>

namespace nelvo {

enum class Routing : int32_t {
    Tunnel = 0,  // root first, the target last
    Bubble = 1,  // the target first, then up to the root
    Direct = 2,  // the target only
};

// The codes the wizard script's `event` table names too; 24 and 29 are unused.
namespace EventCode {
enum : int32_t {
    Attached = 0,
    Detached = 1,
    GotFocus = 2,
    LostFocus = 3,
    PreviewKeyDown = 4,
    KeyDown = 5,
    PreviewKeyUp = 6,
    KeyUp = 7,
    PreviewKeyPress = 8,
    KeyPress = 9,
    GotCapture = 10,
    LostCapture = 11,
    PreviewLButtonDown = 12,
    LButtonDown = 13,
    PreviewLButtonUp = 14,
    LButtonUp = 15,
    PreviewRButtonDown = 16,
    RButtonDown = 17,
    PreviewRButtonUp = 18,
    RButtonUp = 19,
    LButtonDbClick = 20,
    RButtonDbClick = 21,
    PreviewMouseWheel = 22,  // named for scripts, never raised
    MouseWheel = 23,
    MouseMove = 25,
    MouseEnter = 26,
    MouseLeave = 27,
    SetCursor = 28,
    Click = 30,
    ValueChange = 31,
    Notify = 32,
    AppNotify = 1024,  // application level: a notification from the install worker
};
}

// The parameters are as wide as a message's parameters (32 bits in the
// shipped program), because AppNotify carries a pointer to the notification
// text in param1.
struct Event {
    int32_t code = 0;
    Routing routing = Routing::Direct;
    intptr_t param1 = 0;
    intptr_t param2 = 0;
    int32_t handled = 0;  // 0 on entry; a handler sets it non-zero to stop delivery
};
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(Event) == 20, "the event record is five 32-bit fields");
#endif

inline Event makeEvent(int32_t code, Routing routing, intptr_t param1 = 0, intptr_t param2 = 0) {
    return Event{code, routing, param1, param2, 0};
}

// The client position a mouse event carries in its second parameter (x in
// the low word, y in the high word, both signed).
inline Point eventPoint(const Event& e) {
    const auto packed = static_cast<uint32_t>(e.param2);
    return {static_cast<int16_t>(packed & 0xFFFF), static_cast<int16_t>(packed >> 16)};
}

// The signed wheel rotation a MouseWheel event carries in the high word of
// its first parameter (120 per notch, positive away from the user).
inline int16_t wheelDelta(const Event& e) {
    return static_cast<int16_t>((static_cast<uint32_t>(e.param1) >> 16) & 0xFFFF);
}

} // namespace nelvo
