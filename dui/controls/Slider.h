#pragma once
// Slider: a value from 0 to a maximum chosen by dragging a thumb.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/Control.h"

namespace nelvo {

class Slider : public Control {
public:
    Slider() {
        setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::ClearFocusOnPress | ControlFlag::SliderWheel, true);
    }
};

} // namespace nelvo
