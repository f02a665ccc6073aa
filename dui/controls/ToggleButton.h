#pragma once
// ToggleButton: a button whose click toggles its checked state.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/Button.h"

namespace nelvo {

class ToggleButton : public Button {
public:
};

} // namespace nelvo
