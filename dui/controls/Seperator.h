#pragma once
// Seperator: a decorative control the mouse passes through.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class Seperator : public Control {
public:
    Seperator() {
        setFlag(ControlFlag::HitTransparent, true);
    }
};

} // namespace nelvo
