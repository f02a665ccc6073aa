#pragma once
// LinkLabel: a label that takes mouse input and opens its `url`.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/Label.h"

namespace nelvo {

class LinkLabel : public Label {
public:
    LinkLabel() {
        setFlag(ControlFlag::HitTransparent, false);
    }
};

} // namespace nelvo
