#pragma once
// Seperator: a decorative control drawn by its style; the mouse passes
// through it.

#include "dui/Control.h"

namespace nelvo {

class Seperator : public Control {
public:
    Seperator() { setFlag(ControlFlag::HitTransparent, true); }
};

} // namespace nelvo
