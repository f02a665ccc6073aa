#include "dui/controls/RadioButton.h"

#include "dui/controls/NamedStyle.h"

namespace nelvo {

RadioButton::RadioButton() { addHandler(EventCode::Click, this, &RadioButton::check); }

void RadioButton::check(void* object, Control*, Event*) {
    // setChecked raises ValueChange and repaints only on a change, so a
    // checked radio button stays as it is.
    static_cast<RadioButton*>(object)->setChecked(true);
}

void RadioButton::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    drawWithStyle(u"radiobutton.xml", dc, bounds, *this);
}

} // namespace nelvo
