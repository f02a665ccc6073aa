#pragma once
// Canvas: children at their `x`, `y` position with their desired size; a
// negative position counts from the right or bottom edge.

#include "dui/Panel.h"

namespace nelvo {

class Canvas : public Panel {
public:
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;
};

} // namespace nelvo
