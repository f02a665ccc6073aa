#pragma once
// ToggleButton: a button whose click flips its checked state. The toggle is
// the first Click handler, so script handlers see the new state.

#include "dui/controls/Button.h"

namespace nelvo {

class ToggleButton : public Button {
public:
    ToggleButton();
    access::Role accessibleRole() const override { return access::Role::CheckButton; }
    uint32_t accessibleState() const override { return checked() ? access::State::Checked : 0; }

    // Click handler shared by the toggling controls: setChecked(!checked).
    void toggle(Event& e);
};

} // namespace nelvo
