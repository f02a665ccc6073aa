#include "dui/StackPanel.h"

#include "dui/LayoutMath.h"

namespace nelvo {

using namespace layout;

namespace {

bool horizontal(const Control& c) { return c.keywordOr(attr::orientation, Keyword::Vertical) == Keyword::Horizontal; }

} // namespace

Size StackPanel::measureOverride(int32_t availableWidth, int32_t availableHeight) {
    Size total{0, 0};
    const bool across = horizontal(*this);
    for (Control* c = firstChild(); c; c = c->nextSibling()) {
        if (across) {
            const Size d = c->measure(kUnbounded, availableHeight);
            total.cx = add(total.cx, d.cx);
            total.cy = max(total.cy, d.cy);
        } else {
            const Size d = c->measure(availableWidth, kUnbounded);
            total.cx = max(total.cx, d.cx);
            total.cy = add(total.cy, d.cy);
        }
    }
    return total;
}

Size StackPanel::arrangeOverride(int32_t finalWidth, int32_t finalHeight) {
    const bool across = horizontal(*this);
    int32_t offset = 0;
    for (Control* c = firstChild(); c; c = c->nextSibling()) {
        const Size d = c->desiredSize();
        if (across) {
            c->arrange({offset, 0, add(offset, d.cx), finalHeight});
            offset = add(offset, d.cx);
        } else {
            c->arrange({0, offset, finalWidth, add(offset, d.cy)});
            offset = add(offset, d.cy);
        }
    }
    return {finalWidth, finalHeight};
}

} // namespace nelvo
