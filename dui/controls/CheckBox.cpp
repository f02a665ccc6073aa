#include "dui/controls/CheckBox.h"

#include "dui/controls/NamedStyle.h"
#include "dui/controls/ToggleButton.h"

namespace nelvo {

CheckBox::CheckBox() { addHandler(EventCode::Click, this, &ToggleButton::toggle); }

void CheckBox::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    drawWithStyle(u"checkbox.xml", dc, bounds, *this);
}

} // namespace nelvo
