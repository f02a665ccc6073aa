#pragma once
// RadioButton: a button a click checks, drawn with "radiobutton.xml".
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/Button.h"

namespace nelvo {

class RadioButton : public Button {
public:
};

} // namespace nelvo
