#pragma once
// Drawing (markup element Image): the skin image named by `src`, stretched
// over its bounds. It measures as the image's natural size and lets the
// pointer through to what lies below.

#include "dui/Control.h"

namespace nelvo {

class Drawing : public Control {
public:
    Drawing() { setFlag(ControlFlag::HitTransparent, true); }
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    std::u16string_view typeName() const override { return u"Image"; }
    // The image's width and height; 0 by 0 without one.
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
};

} // namespace nelvo
