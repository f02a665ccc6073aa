#pragma once
// Style_Button (type Button): the four-state skin, then the control's `text`
// centred on one line in its `font` and the style's `textColor` (default
// white), shifted by (1, 1) while pressed when `downOffset` is 1.

#include "dui/Style.h"

#include <string>

namespace nelvo {

class Style_Button : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;

    // The button text of the push button styles: only when the control has
    // `text`; `defaultColour` when the style has no `textColor`.
    static void drawButtonText(const Style& style, DeviceContext dc, const Rect& rect, const Control& control,
                               uint32_t defaultColour);
    // `rect` moved by (1, 1) when the control is pressed and the style's
    // `downOffset` is exactly 1.
    static Rect pressedOffset(const Style& style, const Control& control, const Rect& rect);
};

} // namespace nelvo
