#pragma once
// Style_CheckButton (type CheckButton): an icon chosen by checked and state
// (`upIcon` ... `checkedDisabledIcon`) at its natural size, 2 pixels in from
// the left and centred vertically, then the control's `text` left-aligned
// after it (`iconGap`, default 2) in the font already selected and the
// style's `textColor` (default white).

#include "dui/Style.h"

#include <string>

namespace nelvo {

class Style_CheckButton : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
    // The icon property for the control's state flags.
    static PropertyKey iconKey(uint32_t flags);
    // The text of the check styles, from `textLeft` to the right edge.
    static void drawCheckText(const Style& style, DeviceContext dc, const Rect& rect, int32_t textLeft,
                              const Control& control);
};

} // namespace nelvo
