#pragma once
// Style_ScrollBar (type ScrollBar): a scroll bar's `barSkin` over the whole
// bar (nine-grid with `scaleGrid`, else stretched); each arrow's skin for
// its state (disabled bar, pressed on it, hovered, normal: `upArrow...Skin`
// and `downArrow...Skin`) stretched into the arrow; and, on an enabled bar
// only, the thumb's skin for its state (`thumbDownSkin`, `thumbOverSkin`,
// `thumbUpSkin`) as a nine-grid with `thumbScaleGrid` into the thumb
// narrowed by one pixel left and right, with the matching `thumb...Icon`
// unscaled at its centre. Draws nothing for a control that is not a bar.

#include "dui/Style.h"

namespace nelvo {

class Style_ScrollBar : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};

} // namespace nelvo
