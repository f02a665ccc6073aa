#include "dui/controls/Style_CheckButtonEx.h"

#include "dui/Control.h"
#include "dui/controls/Style_CheckButton.h"

#ifdef _WIN32
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

int32_t Style_CheckButtonEx::sourceRow(uint32_t flags, int32_t h) {
    const int32_t group = (flags & ControlFlag::Checked) ? 4 * h : 0;
    if (!(flags & ControlFlag::Enabled)) return group + 3 * h;
    if (flags & ControlFlag::Pressed) return group + 2 * h;
    if (flags & ControlFlag::Hovered) return group + h;
    return group;
}

void Style_CheckButtonEx::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
#ifdef _WIN32
    int32_t imageWidth = 0;
    if (const std::u16string* src = findText(attr::src))
        if (ImageRecord* strip = findImage(*src)) {
            const int32_t h = strip->height() / 8;
            imageWidth = strip->width();
            strip->drawPart(dc, rect.left, rect.top, imageWidth, h, sourceRow(control->flags(), h), imageWidth, h);
        }
    Style_CheckButton::drawCheckText(*this, dc, rect, rect.left + imageWidth + 2 + intOr(attr::iconGap, 2),
                                     *control);
#else
    (void)dc, (void)rect;
#endif
}

} // namespace nelvo
