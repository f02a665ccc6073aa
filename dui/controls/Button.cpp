#include "dui/controls/Button.h"

#include "dui/MemberHandler.h"

namespace nelvo {

Button::Button() {
    setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::ClearFocusOnPress, true);
    listen<&Button::clickTest>(*this, EventCode::LButtonUp);
    listen<&Button::onKeyDown>(*this, EventCode::KeyDown);
}

bool Button::doDefaultAction() {
    postEvent(makeEvent(EventCode::Click, Routing::Direct));
    return true;
}

void Button::onKeyDown(Event& e) {
    constexpr intptr_t kSpace = 0x20;
    // Bit 30 of the key data: the key was down already (auto-repeat).
    constexpr uint32_t kRepeat = 1u << 30;
    if (e.param1 != kSpace) return;
    e.handled = 1;
    if (!(static_cast<uint32_t>(e.param2) & kRepeat)) doDefaultAction();
}

void Button::clickTest(Event& e) {
    if (!hasFlag(ControlFlag::Pressed)) return;
    // The release position is where the cursor was when the button came up,
    // whatever it has done since the message was queued.
    const Point p = eventPoint(e);
    Rect r;
    if (windowRect(r) && r.contains(p.x, p.y)) postEvent(makeEvent(EventCode::Click, Routing::Direct));
    e.handled = 1;
}

} // namespace nelvo
