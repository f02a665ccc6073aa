#include "dui/controls/Style_ButtonEx.h"

#include "dui/Control.h"
#include "dui/controls/Style_Button.h"

#ifdef _WIN32
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

int32_t Style_ButtonEx::frameIndex(uint32_t flags) {
    if (!(flags & ControlFlag::Enabled)) return 3;
    if (flags & ControlFlag::Pressed) return 2;
    if (flags & ControlFlag::Hovered) return 1;
    return 0;
}

void Style_ButtonEx::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
#ifdef _WIN32
    // A missing strip skips the skin; the text is still drawn.
    if (const std::u16string* src = findText(attr::src))
        if (ImageRecord* strip = findImage(*src)) {
            const int32_t frame = strip->height() / 4;
            strip->drawPart(dc, rect.left, rect.top, rect.width(), rect.height(),
                            frameIndex(control->flags()) * frame, strip->width(), frame);
        }
#endif
    Style_Button::drawButtonText(*this, dc, rect, *control, 0xFFFFFF);
}

} // namespace nelvo
