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

private:
    void check(Event& e);
};

} // namespace nelvo
