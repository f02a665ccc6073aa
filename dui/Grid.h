#pragma once
// Grid: an overlay. Every child gets the whole area; the later child paints
// on top and is hit first. Also the class of every window's root.

#include "dui/Panel.h"

namespace nelvo {

class Grid : public Panel {
public:
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;
};

} // namespace nelvo
