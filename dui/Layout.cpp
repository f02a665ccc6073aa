// The two layout steps common to all controls: measure and arrange, with
// margins, explicit sizes and alignment.

#include "dui/Control.h"
#include "dui/ControlWindow.h"
#include "dui/LayoutMath.h"

namespace nelvo {

using namespace layout;

namespace {

// Width or height set explicitly; -1 (and absence) mean automatic.
bool explicitSize(const Control& c, PropertyKey key, int32_t& out) {
    int32_t v;
    if (!c.getInt(key, v) || v == -1) return false;
    out = v;
    return true;
}

bool stretches(Keyword align) { return align == Keyword::Stretch; }

// Left (or top) edge of `size` placed between the inner edges lo and hi.
int32_t place(Keyword align, Keyword farSide, int32_t lo, int32_t hi, int32_t size) {
    int32_t pos;
    if (align == Keyword::Center || align == Keyword::Stretch)
        pos = sub(add(lo, hi), size) / 2;
    else if (align == farSide)
        pos = sub(hi, size);
    else
        pos = lo;
    return pos < lo ? lo : pos;
}

} // namespace

Size Control::measure(int32_t availableWidth, int32_t availableHeight) {
    if (!attached()) return {0, 0};
    const Rect m = rectOr(attr::margin, {});
    const int32_t hm = add(m.left, m.right);
    const int32_t vm = add(m.top, m.bottom);
    const int32_t innerWidth = sub(availableWidth, hm);
    const int32_t innerHeight = sub(availableHeight, vm);
    if (innerWidth <= 0 || innerHeight <= 0) {
        desired_ = {0, 0};
        return desired_;
    }
    int32_t width = innerWidth;
    int32_t height = innerHeight;
    const bool fixedWidth = explicitSize(*this, attr::width, width);
    const bool fixedHeight = explicitSize(*this, attr::height, height);
    const Size content = measureOverride(width, height);
    desired_.cx = add(fixedWidth ? width : content.cx, hm);
    desired_.cy = add(fixedHeight ? height : content.cy, vm);
    return desired_;
}

namespace {
// How many arranges are running on the UI thread, nested.
int g_arrangeDepth = 0;
} // namespace

void Control::layoutSettled() {}

void Control::arrange(const Rect& slot) {
    // A control's window rectangle depends on the bounds of its ancestors,
    // which are stored only after their own arrangeOverride returns.
    ++g_arrangeDepth;
    arrangeInSlot(slot);
    if (--g_arrangeDepth == 0 && window_) {
        if (Control* focus = window_->focusControl()) focus->layoutSettled();
    }
}

void Control::arrangeInSlot(const Rect& slot) {
    const Rect m = rectOr(attr::margin, {});
    const int32_t hm = add(m.left, m.right);
    const int32_t vm = add(m.top, m.bottom);
    const int32_t aw = sub(sub(slot.right, slot.left), hm);
    const int32_t ah = sub(sub(slot.bottom, slot.top), vm);
    if (!attached() || aw <= 0 || ah <= 0) {
        bounds_ = {};
        return;
    }
    const int32_t cw = sub(desired_.cx, hm);
    const int32_t ch = sub(desired_.cy, vm);
    const Keyword hAlign = keywordOr(attr::horizontalAlign, Keyword::Stretch);
    const Keyword vAlign = keywordOr(attr::verticalAlign, Keyword::Stretch);
    int32_t w = stretches(hAlign) ? max(aw, cw) : cw;
    int32_t h = stretches(vAlign) ? max(ah, ch) : ch;
    explicitSize(*this, attr::width, w);
    explicitSize(*this, attr::height, h);

    const Size used = arrangeOverride(w, h);
    if (used.cx <= 0 || used.cy <= 0) {
        bounds_ = {};
        return;
    }
    const int32_t left = place(hAlign, Keyword::Right, add(slot.left, m.left), sub(slot.right, m.right), used.cx);
    const int32_t top = place(vAlign, Keyword::Bottom, add(slot.top, m.top), sub(slot.bottom, m.bottom), used.cy);
    bounds_ = {left, top, add(left, used.cx), add(top, used.cy)};
}

} // namespace nelvo
