#pragma once
// ToggleIconButton: a toggle button with an icon and text per state.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/ToggleButton.h"

namespace nelvo {

class ToggleIconButton : public ToggleButton {
public:
};

} // namespace nelvo
