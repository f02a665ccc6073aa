#include "dui/controls/CheckBox.h"

#include "dui/MemberHandler.h"
#include "dui/controls/NamedStyle.h"

namespace nelvo {

CheckBox::CheckBox() { listen<&CheckBox::toggle>(*this, EventCode::Click); }

void CheckBox::toggle(Event&) { setChecked(!checked()); }

void CheckBox::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    drawWithStyle(u"checkbox.xml", dc, bounds, *this);
}

} // namespace nelvo
