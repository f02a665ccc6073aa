#include "dui/Canvas.h"

#include "dui/LayoutMath.h"

namespace nelvo {

using namespace layout;

Size Canvas::measureOverride(int32_t, int32_t) {
    for (Control* c = firstChild(); c; c = c->nextSibling()) c->measure(kUnbounded, kUnbounded);
    return {0, 0};
}

Size Canvas::arrangeOverride(int32_t finalWidth, int32_t finalHeight) {
    for (Control* c = firstChild(); c; c = c->nextSibling()) {
        int32_t x = c->intOr(attr::x, 0);
        int32_t y = c->intOr(attr::y, 0);
        if (x < 0) x = add(finalWidth, x);
        if (y < 0) y = add(finalHeight, y);
        const Size d = c->desiredSize();
        c->arrange({x, y, add(x, d.cx), add(y, d.cy)});
    }
    return {finalWidth, finalHeight};
}

} // namespace nelvo
