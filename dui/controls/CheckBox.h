#pragma once
// CheckBox: a toggle drawn with the style "checkbox.xml".
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/Button.h"

namespace nelvo {

class CheckBox : public Button {
public:
};

} // namespace nelvo
