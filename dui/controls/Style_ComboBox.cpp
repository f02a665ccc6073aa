#include "dui/controls/Style_ComboBox.h"

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#include "dui/SkinLookup.h"
#include "dui/TextDraw.h"
#endif

namespace nelvo {

Point Style_ComboBox::buttonOrigin(const Rect& rect, int32_t width, int32_t height) {
    using namespace layout;
    return {sub(rect.right, width), sub(add(rect.top, rect.bottom), height) / 2};
}

int32_t Style_ComboBox::textRight(const Rect& rect, int32_t buttonWidth) {
    return layout::sub(rect.right, layout::add(buttonWidth, kButtonGap));
}

void Style_ComboBox::draw([[maybe_unused]] DeviceContext dc, [[maybe_unused]] const Rect& rect, Control* control) {
    if (!control) return;
    drawFourStateSkin(dc, rect, *control);
#ifdef _WIN32
    Rect textArea = rect;
    if (const std::u16string* name = findText(attr::dropBtn))
        if (ImageRecord* button = findImage(*name)) {
            const Point origin = buttonOrigin(rect, button->width(), button->height());
            button->drawNatural(dc, origin.x, origin.y);
            textArea.right = textRight(rect, button->width());
        }
    if (const std::u16string* text = control->findText(attr::text)) {
        textArea.left += kTextIndent;
        drawTextPlain(dc, textArea, *text, 0);
    }
#endif
}

} // namespace nelvo
