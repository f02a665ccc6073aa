#include "dui/controls/ToggleButton.h"

#include "dui/MemberHandler.h"

namespace nelvo {

ToggleButton::ToggleButton() { listen<&ToggleButton::toggle>(*this, EventCode::Click); }

void ToggleButton::toggle(Event&) {
    setChecked(!checked());
}

} // namespace nelvo
