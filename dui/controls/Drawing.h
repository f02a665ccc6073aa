#pragma once
// Drawing (markup element Image): the image named by `src`, stretched over
// its bounds.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class Drawing : public Control {
public:
    Drawing() {
        setFlag(ControlFlag::HitTransparent, true);
    }
    std::u16string_view typeName() const override { return u"Image"; }
};

} // namespace nelvo
