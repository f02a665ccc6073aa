#pragma once

#include "dui/Style.h"

namespace nelvo {

// Text boxes: not Enabled → disabledSkin; Hovered → overSkin; else upSkin.
// Focus and press do not change the skin.
class Style_Edit : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
    static PropertyKey skinKey(uint32_t flags);
};

} // namespace nelvo
