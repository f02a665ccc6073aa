#pragma once
// ListBox: a scroll panel over a vertical stack of items.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/ScrollPanel.h"

namespace nelvo {

class ListBox : public ScrollPanel {
public:
};

} // namespace nelvo
