#include "dui/controls/Style_ToggleButton.h"

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

PropertyKey Style_ToggleButton::skinKey(uint32_t flags) {
    const bool enabled = flags & ControlFlag::Enabled;
    const bool pressed = flags & ControlFlag::Pressed;
    const bool hovered = flags & ControlFlag::Hovered;
    if (flags & ControlFlag::Checked)
        return !enabled ? attr::checkedDisabledSkin
               : pressed ? attr::checkedDownSkin
               : hovered ? attr::checkedOverSkin
                         : attr::checkedUpSkin;
    return !enabled ? attr::disabledSkin : pressed ? attr::downSkin : hovered ? attr::overSkin : attr::upSkin;
}

void Style_ToggleButton::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
#ifdef _WIN32
    if (const std::u16string* name = findText(skinKey(control->flags()))) drawImage(dc, *name, rect, nullptr);
#else
    (void)dc, (void)rect;
#endif
}

} // namespace nelvo
