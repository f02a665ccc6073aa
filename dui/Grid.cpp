#include "dui/Grid.h"

#include "dui/LayoutMath.h"

namespace nelvo {

Size Grid::measureOverride(int32_t availableWidth, int32_t availableHeight) {
    Size largest{0, 0};
    for (Control* c = firstChild(); c; c = c->nextSibling()) {
        const Size d = c->measure(availableWidth, availableHeight);
        largest.cx = layout::max(largest.cx, d.cx);
        largest.cy = layout::max(largest.cy, d.cy);
    }
    return largest;
}

Size Grid::arrangeOverride(int32_t finalWidth, int32_t finalHeight) {
    for (Control* c = firstChild(); c; c = c->nextSibling()) c->arrange({0, 0, finalWidth, finalHeight});
    return {finalWidth, finalHeight};
}

} // namespace nelvo
