#pragma once
// WebBrowser: hosts the system's web browser control.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class WebBrowser : public Control {
public:
};

} // namespace nelvo
