#include "dui/controls/Style_ComboBox.h"

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#include "dui/SkinLookup.h"
#include "dui/TextDraw.h"
#endif

namespace nelvo {

void Style_ComboBox::draw([[maybe_unused]] DeviceContext dc, [[maybe_unused]] const Rect& rect, Control* control) {
    if (!control) return;
    drawFourStateSkin(dc, rect, *control);
#ifdef _WIN32
    Rect textArea = rect;
    if (const std::u16string* name = findText(attr::dropBtn))
        if (ImageRecord* button = findImage(*name)) {
            button->drawNatural(dc, rect.right - button->width(), (rect.top + rect.bottom - button->height()) / 2);
            textArea.right -= button->width() + kButtonGap;
        }
    if (const std::u16string* text = control->findText(attr::text)) {
        textArea.left += kTextIndent;
        drawTextPlain(dc, textArea, *text, 0);
    }
#endif
}

} // namespace nelvo
