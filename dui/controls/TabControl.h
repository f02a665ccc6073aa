#pragma once
// TabControl: tab items with sliding pages.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Panel.h"

namespace nelvo {

class TabControl : public Panel {
public:
};

} // namespace nelvo
