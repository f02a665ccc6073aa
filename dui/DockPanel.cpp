#include "dui/DockPanel.h"

#include "dui/LayoutMath.h"

namespace nelvo {

using namespace layout;

Size DockPanel::measureOverride(int32_t availableWidth, int32_t availableHeight) {
    int32_t usedWidth = 0, usedHeight = 0, maxWidth = 0, maxHeight = 0;
    for (Control* c = firstChild(); c; c = c->nextSibling()) {
        const Size d = c->measure(max(sub(availableWidth, usedWidth), 0), max(sub(availableHeight, usedHeight), 0));
        switch (c->keywordOr(attr::dock, Keyword::Left)) {
        case Keyword::Left:
        case Keyword::Right:
            maxHeight = max(maxHeight, add(usedHeight, d.cy));
            usedWidth = add(usedWidth, d.cx);
            break;
        case Keyword::Top:
        case Keyword::Bottom:
            maxWidth = max(maxWidth, add(usedWidth, d.cx));
            usedHeight = add(usedHeight, d.cy);
            break;
        default:
            break;
        }
    }
    return {max(usedWidth, maxWidth), max(usedHeight, maxHeight)};
}

Size DockPanel::arrangeOverride(int32_t finalWidth, int32_t finalHeight) {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // consumed on each side
    for (Control* c = firstChild(); c; c = c->nextSibling()) {
        Rect slot{left, top, sub(finalWidth, right), sub(finalHeight, bottom)};
        const Size d = c->desiredSize();
        if (c != lastChild()) {
            switch (c->keywordOr(attr::dock, Keyword::Left)) {
            case Keyword::Left:
                slot.right = add(left, d.cx);
                left = add(left, d.cx);
                break;
            case Keyword::Top:
                slot.bottom = add(top, d.cy);
                top = add(top, d.cy);
                break;
            case Keyword::Right:
                right = add(right, d.cx);
                slot.left = max(left, sub(finalWidth, right));
                slot.right = add(slot.left, d.cx);
                break;
            default:  // bottom, and any other value
                bottom = add(bottom, d.cy);
                slot.top = max(top, sub(finalHeight, bottom));
                slot.bottom = add(slot.top, d.cy);
                break;
            }
        }
        c->arrange(slot);
    }
    return {finalWidth, finalHeight};
}

} // namespace nelvo
