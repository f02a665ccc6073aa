#pragma once
// ComboBox: a shown value with a drop-down list.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class ComboBox : public Control {
public:
    ComboBox() {
        setFlag(ControlFlag::RepaintOnState | ControlFlag::ClearFocusOnPress, true);
    }
};

} // namespace nelvo
