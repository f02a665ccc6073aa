#include "dui/controls/ToggleButton.h"

namespace nelvo {

ToggleButton::ToggleButton() { addHandler(EventCode::Click, this, &ToggleButton::toggle); }

void ToggleButton::toggle(void* object, Control*, Event*) {
    auto* self = static_cast<Control*>(object);
    self->setChecked(!self->checked());
}

} // namespace nelvo
