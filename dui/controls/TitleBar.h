#pragma once
// TitleBar: a strip that moves the window when pressed.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class TitleBar : public Control {
public:
};

} // namespace nelvo
