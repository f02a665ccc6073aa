#include "dui/Style.h"

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#include "dui/SkinLookup.h"
#endif

namespace nelvo {

PropertyKey Style::fourStateSkinKey(uint32_t flags) {
    if (!(flags & ControlFlag::Enabled)) return attr::disabledSkin;
    if (flags & (ControlFlag::Pressed | ControlFlag::Checked)) return attr::downSkin;
    if (flags & (ControlFlag::Hovered | ControlFlag::Focused)) return attr::overSkin;
    return attr::upSkin;
}

void Style::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (control) drawFourStateSkin(dc, rect, *control);
}

void Style::drawFourStateSkin(DeviceContext dc, const Rect& rect, const Control& control) const {
    drawSkin(dc, rect, fourStateSkinKey(control.flags()));
}

void Style::drawSkin(DeviceContext dc, const Rect& rect, PropertyKey skinKey) const {
    drawSkin(dc, rect, skinKey, attr::scaleGrid);
}

#ifdef _WIN32
void Style::drawSkin(DeviceContext dc, const Rect& rect, PropertyKey skinKey, PropertyKey gridKey) const {
    const std::u16string* name = findText(skinKey);
    ImageRecord* image = name ? findImage(*name) : nullptr;
    if (!image) return;
    Rect grid;
    if (getRect(gridKey, grid))
        image->drawNineGrid(dc, rect, grid);
    else
        image->drawStretched(dc, rect);
}
#else
// The native build has no skin images.
void Style::drawSkin(DeviceContext, const Rect&, PropertyKey, PropertyKey) const {}
#endif

} // namespace nelvo
