#include "dui/controls/NamedStyle.h"

#include "dui/Style.h"

namespace nelvo {

void drawWithStyle(std::u16string_view name, DeviceContext dc, const Rect& bounds, Control& control) {
    if (Style* style = findStyle(name)) style->draw(dc, bounds, &control);
}

} // namespace nelvo
