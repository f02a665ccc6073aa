#include "dui/controls/Button.h"

#include "dui/MemberHandler.h"

namespace nelvo {

Button::Button() {
    setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::ClearFocusOnPress, true);
    listen<&Button::clickTest>(*this, EventCode::LButtonUp);
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
