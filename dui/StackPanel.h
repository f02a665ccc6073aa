#pragma once
// StackPanel: children one after the other, top to bottom (`orientation`
// vertical, the default) or left to right (horizontal).

#include "dui/Panel.h"

namespace nelvo {

class StackPanel : public Panel {
public:
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;
};

} // namespace nelvo
