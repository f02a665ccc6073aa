#pragma once
// Style_ButtonEx (type ButtonEx): one frame of the `src` strip (four frames
// stacked vertically: normal, hovered, pressed, disabled, each H / 4 rows)
// stretched over the control, then the button text as Style_Button draws
// it. Checked and focused do not count.

#include "dui/Style.h"

namespace nelvo {

class Style_ButtonEx : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
    // The frame for the control's state flags: 3 disabled, 2 pressed,
    // 1 hovered, else 0.
    static int32_t frameIndex(uint32_t flags);
};

} // namespace nelvo
