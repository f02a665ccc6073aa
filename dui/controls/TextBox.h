#pragma once
// TextBox: a one-line text editor with caret, selection and clipboard.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class TextBox : public Control {
public:
    TextBox() {
        setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::FocusOnPress | ControlFlag::WantsDoubleClick, true);
    }
    std::u16string_view typeName() const override { return u"TextBox"; }
};

} // namespace nelvo
