#pragma once

#include "dui/Style.h"

namespace nelvo {

// The image named by `img`, nine-grid with `scaleGrid` or stretched; the
// control's state does not matter.
class Style_Background : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};

} // namespace nelvo
