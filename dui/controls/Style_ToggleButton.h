#pragma once
// Style_ToggleButton (type ToggleButton): a skin chosen by checked and
// state (`upSkin` ... `checkedDisabledSkin`), stretched over the control.
// No nine-grid, no text.

#include "dui/Style.h"

namespace nelvo {

class Style_ToggleButton : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
    static PropertyKey skinKey(uint32_t flags);
};

} // namespace nelvo
