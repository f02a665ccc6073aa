#include "dui/controls/Button.h"

namespace nelvo {

Button::Button() {
    setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::ClearFocusOnPress, true);
    addHandler(EventCode::LButtonUp, this, &Button::clickTest);
}

Point Button::eventPoint(const Event& e) {
    const auto packed = static_cast<uint32_t>(e.param2);
    return {static_cast<int16_t>(packed & 0xFFFF), static_cast<int16_t>(packed >> 16)};
}

void Button::clickTest(void* object, Control*, Event* e) {
    auto* self = static_cast<Button*>(object);
    if (!self->hasFlag(ControlFlag::Pressed)) return;
    // The release position is where the cursor was when the button came up,
    // whatever it has done since the message was queued.
    const Point p = eventPoint(*e);
    Rect r;
    if (self->windowRect(r) && r.contains(p.x, p.y)) self->postEvent(makeEvent(EventCode::Click, Routing::Direct));
    e->handled = 1;
}

} // namespace nelvo
