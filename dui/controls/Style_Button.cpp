#include "dui/controls/Style_Button.h"

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/TextDraw.h"
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

Rect Style_Button::pressedOffset(const Style& style, const Control& control, const Rect& rect) {
    if (control.hasFlag(ControlFlag::Pressed) && style.intOr(attr::downOffset, 0) == 1) return rect.offset(1, 1);
    return rect;
}

void Style_Button::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
    drawFourStateSkin(dc, rect, *control);
    drawButtonText(*this, dc, rect, *control, 0xFFFFFF);
}

#ifdef _WIN32
void Style_Button::drawButtonText(const Style& style, DeviceContext dc, const Rect& rect, const Control& control,
                                  uint32_t defaultColour) {
    const std::u16string* text = control.findText(attr::text);
    if (!text) return;
    const auto colour = static_cast<uint32_t>(style.intOr(attr::textColor, static_cast<int32_t>(defaultColour)));
    drawTextWithFont(dc, pressedOffset(style, control, rect), *text, controlFont(control), colour,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
#else
void Style_Button::drawButtonText(const Style&, DeviceContext, const Rect&, const Control&, uint32_t) {}
#endif

} // namespace nelvo
