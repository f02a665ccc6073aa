#pragma once
// ToggleButton: a button whose click flips its checked state. The toggle is
// the first Click handler, so script handlers see the new state.

#include "dui/controls/Button.h"

namespace nelvo {

class ToggleButton : public Button {
public:
    ToggleButton();

    // Click handler shared by the toggling controls: setChecked(!checked).
    void toggle(Event& e);
};

} // namespace nelvo
