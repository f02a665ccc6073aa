#pragma once
// ScrollPanel: a panel with one content child and scroll bars as needed.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Panel.h"

namespace nelvo {

class ScrollPanel : public Panel {
public:
};

} // namespace nelvo
