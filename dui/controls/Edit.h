#pragma once
// Edit: the multi-line text view and editor.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class Edit : public Control {
public:
    std::u16string_view typeName() const override { return u"Edit"; }
};

} // namespace nelvo
