#pragma once
// Label: one line of static text; never receives mouse input.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class Label : public Control {
public:
    Label() {
        setFlag(ControlFlag::HitTransparent, true);
    }
};

} // namespace nelvo
