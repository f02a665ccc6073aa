#pragma once
// Style_Slider (type Slider): the horizontal form for both orientations.
// `trackSkin` from the left edge to the thumb's centre and `barSkin` from
// there to the right edge, each vertically centred at its own height and
// drawn as a nine-grid with `scaleGrid` (stretched without); then the thumb:
// `thumbDownSkin` while pressed, `thumbOverSkin` while the pointer is on it
// (the slider's checked state), else `thumbUpSkin`, stretched into it.
// Draws nothing for a control that is not a slider.

#include "dui/Style.h"

namespace nelvo {

class Style_Slider : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};

} // namespace nelvo
