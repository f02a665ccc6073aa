#pragma once
// Button: a push button drawn by its style; posts Click after a press and a
// release inside it.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class Button : public Control {
public:
    Button() {
        setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::ClearFocusOnPress, true);
    }
    std::u16string_view typeName() const override { return u"Button"; }
};

} // namespace nelvo
