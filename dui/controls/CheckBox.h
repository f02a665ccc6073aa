#pragma once
// CheckBox: a button whose click toggles its checked state, always drawn
// with the style "checkbox.xml" (its own `style` attribute is ignored).

#include "dui/controls/Button.h"

namespace nelvo {

class CheckBox : public Button {
public:
    CheckBox();
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;

private:
    // Click: flips the checked state.
    void toggle(Event& e);
};

} // namespace nelvo
