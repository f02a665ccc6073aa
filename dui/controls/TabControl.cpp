#include "dui/controls/TabControl.h"

#include "dui/LayoutMath.h"
#include "dui/LiveSet.h"
#include "dui/SkinLookup.h"
#include "dui/Style.h"
#include "dui/controls/TabItem.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nelvo {

using namespace layout;

namespace {

TabControl::SlideStepHook g_slideStepHook = nullptr;

constexpr int kSlideSteps = 10;

// The high-resolution counter, in counts; 0 where there is none.
int64_t counterNow() {
#ifdef _WIN32
    LARGE_INTEGER now;
    if (QueryPerformanceCounter(&now)) return now.QuadPart;
#endif
    return 0;
}

// Busy-waits until a slide step that began at `started` (counterNow) has
// lasted 10 ms: the step's repaint counts towards it. Both ends are read on
// the high-resolution counter, since the tick count moves in steps as coarse
// as the step itself.
void finishSlideStep([[maybe_unused]] int64_t started) {
#ifdef _WIN32
    LARGE_INTEGER frequency;
    if (!started || !QueryPerformanceFrequency(&frequency)) return;
    const int64_t step = frequency.QuadPart / 100;
    while (counterNow() - started < step) {
    }
#endif
}

} // namespace

void TabControl::setSlideStepHook(SlideStepHook hook) { g_slideStepHook = hook; }

TabControl::Placement TabControl::placement() const {
    switch (keywordOr(attr::tabPlacement, Keyword::Top)) {
    case Keyword::Top:
        return Placement::Top;
    case Keyword::Left:
        return Placement::Left;
    default:
        return Placement::None;
    }
}

int32_t TabControl::indexOf(const Control* c) const {
    int32_t index = 0;
    for (const Control* child = firstChild(); child; child = child->nextSibling(), ++index)
        if (child == c) return index;
    return -1;
}

TabItem* TabControl::selectedItem() const { return indexOf(selected_) >= 0 ? selected_ : nullptr; }

Control* TabControl::selectedPage() const {
    TabItem* item = selectedItem();
    return item ? item->page() : nullptr;
}

// --- Selection -------------------------------------------------------------

void TabControl::select(TabItem* item) {
    if (!item || item == selected_) return;
    const int32_t newIndex = indexOf(item);
    if (newIndex < 0) return;
    // Handlers run inside: they may take this control or the item out of
    // the window. Whatever was live before is checked again after each.
    const bool live = attached();
    const auto gone = [&](const Control* c) { return live && !LiveSet::contains(c); };

    TabItem* old = selectedItem();
    const int32_t oldIndex = indexOf(old);
    if (old) {
        old->setFlag(ControlFlag::Checked, false);
        Event e = makeEvent(EventCode::ValueChange, Routing::Direct);
        old->raiseEvent(e);
        if (gone(this)) return;
        if (!gone(old)) old->invalidate(true);
    }
    selected_ = nullptr;
    if (gone(item)) return;
    selected_ = item;
    item->setFlag(ControlFlag::Checked, true);
    Event e = makeEvent(EventCode::ValueChange, Routing::Direct);
    raiseEvent(e);
    if (gone(this) || gone(item) || selected_ != item) return;

    Control* page = item->page();
    if (old && page && live && placement() == Placement::Top) slide(*page, oldIndex < newIndex);
    invalidate(false);
}

void TabControl::slide(Control& page, bool forward) {
    // Only the left and right edges move; the page comes back to where its
    // arrange put it. Forward it enters from the right (its left edge at
    // 10/10 .. 1/10 of the page width), backward from the left (at -10/10 ..
    // -1/10): the old page stays in the window's picture beside it.
    const Rect home = page.bounds();
    const int64_t width = pageRect_.width();
    for (int step = 0; step < kSlideSteps; ++step) {
        const auto shift = static_cast<int32_t>(forward ? width * (kSlideSteps - step) / kSlideSteps
                                                        : width * step / kSlideSteps - width);
        page.setBounds({add(home.left, shift), home.top, add(home.right, shift), home.bottom});
        const int64_t started = counterNow();
        page.invalidate(true);
        finishSlideStep(started);
        if (g_slideStepHook) g_slideStepHook(*this, page, step);
    }
    page.setBounds(home);
    invalidate(true);
}

// --- Layout ----------------------------------------------------------------

Size TabControl::measureOverride(int32_t availableWidth, int32_t availableHeight) {
    if (!firstChild()) return {0, 0};
    const int32_t h = intOr(attr::tabHeight, 0);
    const Placement where = placement();
    if (where == Placement::None) return {0, 0};
    int32_t headers = 0;  // along the strip
    Size largestPage;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        Control* page = nullptr;
        if (auto* item = dynamic_cast<TabItem*>(child)) page = item->page();
        Size pageSize;
        if (where == Placement::Top) {
            headers = add(headers, child->measure(availableWidth, h).cx);
            if (page) pageSize = page->measure(availableWidth, sub(availableHeight, h));
        } else {
            headers = add(headers, child->measure(h, availableHeight).cy);
            if (page) pageSize = page->measure(sub(availableWidth, h), availableHeight);
        }
        largestPage.cx = max(largestPage.cx, pageSize.cx);
        largestPage.cy = max(largestPage.cy, pageSize.cy);
    }
    if (where == Placement::Top) return {max(headers, largestPage.cx), add(largestPage.cy, h)};
    return {add(h, largestPage.cx), max(headers, largestPage.cy)};
}

Size TabControl::arrangeOverride(int32_t finalWidth, int32_t finalHeight) {
    if (!selectedItem())
        if (auto* first = dynamic_cast<TabItem*>(firstChild())) select(first);
    const int32_t h = intOr(attr::tabHeight, 0);
    const Placement where = placement();
    if (where == Placement::None) return {finalWidth, finalHeight};
    if (where == Placement::Top) {
        headerStrip_ = {0, 0, finalWidth, h};
        pageRect_ = {0, h, finalWidth, finalHeight};
    } else {
        headerStrip_ = {0, 0, h, finalHeight};
        pageRect_ = {h, 0, finalWidth, finalHeight};
    }
    int32_t offset = 0;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        const Size d = child->desiredSize();
        if (where == Placement::Top) {
            child->arrange({offset, 0, add(offset, d.cx), h});
            offset = add(offset, d.cx);
        } else {
            child->arrange({0, offset, h, add(offset, d.cy)});
            offset = add(offset, d.cy);
        }
        if (auto* item = dynamic_cast<TabItem*>(child))
            if (Control* page = item->page()) page->arrange(pageRect_);
    }
    return {finalWidth, finalHeight};
}

// --- Paint and hit test ----------------------------------------------------

void TabControl::shownChildren(std::vector<Control*>& out) const {
    Panel::shownChildren(out);
    if (Control* page = selectedPage())
        if (page->visible()) out.push_back(page);
}

void TabControl::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
    if (const std::u16string* name = findText(attr::style))
        if (Style* style = findStyle(*name)) style->draw(dc, headerStrip_.offset(bounds.left, bounds.top), this);
    for (Control* child = firstChild(); child; child = child->nextSibling())
        if (child->visible()) paintChild(dc, *child, bounds, clip);
    if (Control* page = selectedPage())
        if (page->visible()) paintChild(dc, *page, bounds, clip);
}

Control* TabControl::hitTest(int32_t x, int32_t y) {
    if (!Control::hitTest(x, y)) return nullptr;
    const int32_t cx = sub(x, bounds().left);
    const int32_t cy = sub(y, bounds().top);
    if (headerStrip_.contains(cx, cy)) {
        for (Control* child = firstChild(); child; child = child->nextSibling())
            if (Control* hit = child->hitTest(cx, cy)) return hit;
    } else if (Control* page = selectedPage()) {
        if (Control* hit = page->hitTest(cx, cy)) return hit;
    }
    return this;
}

} // namespace nelvo
