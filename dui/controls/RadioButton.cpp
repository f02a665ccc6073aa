#include "dui/controls/RadioButton.h"

#include "dui/MemberHandler.h"

#include "dui/controls/NamedStyle.h"

namespace nelvo {

RadioButton::RadioButton() { listen<&RadioButton::check>(*this, EventCode::Click); }

void RadioButton::check(Event&) {
    // setChecked raises ValueChange and repaints only on a change, so a
    // checked radio button stays as it is.
    setChecked(true);
}

void RadioButton::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    drawWithStyle(u"radiobutton.xml", dc, bounds, *this);
}

} // namespace nelvo
