#pragma once
// DockPanel: children docked in order to the left (default), top, right or
// bottom of the space the earlier ones left; the last child fills the rest.

#include "dui/Panel.h"

namespace nelvo {

class DockPanel : public Panel {
public:
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;
};

} // namespace nelvo
