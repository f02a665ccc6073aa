#pragma once
// CheckBox: a button whose click toggles its checked state, always drawn
// with the style "checkbox.xml" (its own `style` attribute is ignored).

#include "dui/controls/Button.h"

namespace nelvo {

class CheckBox : public Button {
public:
    CheckBox();
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    access::Role accessibleRole() const override { return access::Role::CheckButton; }
    uint32_t accessibleState() const override { return checked() ? access::State::Checked : 0; }
    std::u16string defaultActionName() const override { return checked() ? u"取消选中" : u"选中"; }

private:
    // Click: flips the checked state.
    void toggle(Event& e);
};

} // namespace nelvo
