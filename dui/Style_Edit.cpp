#include "dui/Style_Edit.h"

#include "dui/Control.h"

namespace nelvo {

PropertyKey Style_Edit::skinKey(uint32_t flags) {
    if (!(flags & ControlFlag::Enabled)) return attr::disabledSkin;
    if (flags & ControlFlag::Hovered) return attr::overSkin;
    return attr::upSkin;
}

void Style_Edit::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (control) drawSkin(dc, rect, skinKey(control->flags()));
}

} // namespace nelvo
