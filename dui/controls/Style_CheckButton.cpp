#include "dui/controls/Style_CheckButton.h"

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/TextDraw.h"
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

PropertyKey Style_CheckButton::iconKey(uint32_t flags) {
    const bool enabled = flags & ControlFlag::Enabled;
    const bool pressed = flags & ControlFlag::Pressed;
    const bool hovered = flags & ControlFlag::Hovered;
    if (flags & ControlFlag::Checked)
        return !enabled ? attr::checkedDisabledIcon
               : pressed ? attr::checkedDownIcon
               : hovered ? attr::checkedOverIcon
                         : attr::checkedUpIcon;
    return !enabled ? attr::disabledIcon : pressed ? attr::downIcon : hovered ? attr::overIcon : attr::upIcon;
}

#ifdef _WIN32
void Style_CheckButton::drawCheckText(const Style& style, DeviceContext dc, const Rect& rect, int32_t textLeft,
                                      const Control& control) {
    const std::u16string* text = control.findText(attr::text);
    if (!text) return;
    const auto colour = static_cast<uint32_t>(style.intOr(attr::textColor, 0xFFFFFF));
    drawTextPlain(dc, {textLeft, rect.top, rect.right, rect.bottom}, *text, colour);
}

void Style_CheckButton::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
    int32_t iconWidth = 0;
    if (const std::u16string* name = findText(iconKey(control->flags())))
        if (ImageRecord* icon = findImage(*name)) {
            iconWidth = icon->width();
            icon->drawNatural(dc, rect.left + 2, (rect.top + rect.bottom - icon->height()) / 2);
        }
    drawCheckText(*this, dc, rect, rect.left + iconWidth + 2 + intOr(attr::iconGap, 2), *control);
}
#else
void Style_CheckButton::drawCheckText(const Style&, DeviceContext, const Rect&, int32_t, const Control&) {}
void Style_CheckButton::draw(DeviceContext, const Rect&, Control*) {}
#endif

} // namespace nelvo
