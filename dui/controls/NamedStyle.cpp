#include "dui/controls/NamedStyle.h"

#include "dui/Style.h"
#include "dui/UiContext.h"

namespace nelvo {

Style* findStyle(std::u16string_view name) {
    UiContext* ctx = UiContext::current();
    StyleSource* source = ctx ? ctx->styleSource() : nullptr;
    return source ? source->getStyle(name) : nullptr;
}

void drawWithStyle(std::u16string_view name, DeviceContext dc, const Rect& bounds, Control& control) {
    if (Style* style = findStyle(name)) style->draw(dc, bounds, &control);
}

} // namespace nelvo
