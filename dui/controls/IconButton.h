#pragma once
// IconButton: a button with an icon and text placed by its style.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/Button.h"

namespace nelvo {

class IconButton : public Button {
public:
};

} // namespace nelvo
