#pragma once
// Style_CheckButtonEx (type CheckButtonEx): one frame of the `src` strip
// (eight frames of H / 8 rows: unchecked normal, hovered, pressed,
// disabled, then the same checked) unscaled at the top-left corner, then
// the text as Style_CheckButton draws it, after the frame and `iconGap`.

#include "dui/Style.h"

namespace nelvo {

class Style_CheckButtonEx : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
    // The first source row of the frame for the state flags, frames being
    // `frameHeight` rows high.
    static int32_t sourceRow(uint32_t flags, int32_t frameHeight);
};

} // namespace nelvo
