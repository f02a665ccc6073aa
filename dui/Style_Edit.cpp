#include "dui/Style_Edit.h"

#include "dui/Control.h"
#include "dui/ControlWindow.h"

namespace nelvo {

PropertyKey Style_Edit::skinKey(uint32_t flags) {
    if (!(flags & ControlFlag::Enabled)) return attr::disabledSkin;
    if (flags & ControlFlag::Hovered) return attr::overSkin;
    return attr::upSkin;
}

void Style_Edit::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
    uint32_t flags = control->flags();
    // The focus shows as the hover skin once the keyboard is in use.
    if ((flags & ControlFlag::Focused) && control->window() && control->window()->focusCuesShown())
        flags |= ControlFlag::Hovered;
    drawSkin(dc, rect, skinKey(flags));
}

} // namespace nelvo
