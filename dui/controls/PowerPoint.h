#pragma once
// PowerPoint: a slideshow that cross-fades between images on a timer.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class PowerPoint : public Control {
public:
    std::u16string_view typeName() const override { return u"PowerPoint"; }
};

} // namespace nelvo
