#pragma once
// RadioButton: a button that a click checks but never unchecks, always drawn
// with the style "radiobutton.xml". Grouping is left to the scripts: no
// radio button unchecks its siblings.

#include "dui/controls/Button.h"

namespace nelvo {

class RadioButton : public Button {
public:
    RadioButton();
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    access::Role accessibleRole() const override { return access::Role::RadioButton; }
    uint32_t accessibleState() const override { return checked() ? access::State::Checked : 0; }
    std::u16string defaultActionName() const override { return u"选中"; }

private:
    void check(Event& e);
};

} // namespace nelvo
