#pragma once
// ProgressBar: a position within a range shown as a clipped fill.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class ProgressBar : public Control {
public:
    ProgressBar() {
        setFlag(ControlFlag::HitTransparent, true);
    }
    std::u16string_view typeName() const override { return u"ProgressBar"; }
};

} // namespace nelvo
