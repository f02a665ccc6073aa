#pragma once
// Label: one line of static text in its `font` (default "Default") and
// `color` (default 0x92794D), aligned by `textAlign` (`left` default,
// `center`, `right`) inside its `padding`. Never wraps; never receives
// mouse input. Its desired size is the text's size plus the padding.

#include "dui/Control.h"

namespace nelvo {

class Label : public Control {
public:
    static constexpr uint32_t kDefaultColour = 0x92794D;

    Label() { setFlag(ControlFlag::HitTransparent, true); }
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    access::Role accessibleRole() const override { return access::Role::StaticText; }
};

} // namespace nelvo
