#include "dui/controls/Style_ToggleIconButton.h"

#include "dui/Control.h"
#include "dui/controls/Style_IconButton.h"

namespace nelvo {

void Style_ToggleIconButton::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
    // The background ignores the checked state (the icon and text show it)
    // and the focus: only disabled, pressed and hovered change it.
    const uint32_t state = control->flags() & ~static_cast<uint32_t>(ControlFlag::Checked | ControlFlag::Focused);
    drawSkin(dc, rect, fourStateSkinKey(state));
    const bool on = control->checked();
    Style_IconButton::drawIconAndText(*this, dc, rect, *control, control->findText(on ? attr::offIcon : attr::icon),
                                      control->findText(on ? attr::offText : attr::text), false);
}

} // namespace nelvo
