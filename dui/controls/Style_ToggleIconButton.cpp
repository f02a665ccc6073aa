#include "dui/controls/Style_ToggleIconButton.h"

#include "dui/Control.h"
#include "dui/controls/Style_IconButton.h"

namespace nelvo {

void Style_ToggleIconButton::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
    // The background ignores the checked state: the icon and text show it.
    drawSkin(dc, rect, fourStateSkinKey(control->flags() & ~static_cast<uint32_t>(ControlFlag::Checked)));
    const bool on = control->checked();
    Style_IconButton::drawIconAndText(*this, dc, rect, *control, control->findText(on ? attr::offIcon : attr::icon),
                                      control->findText(on ? attr::offText : attr::text));
}

} // namespace nelvo
