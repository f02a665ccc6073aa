#include "dui/controls/ListBox.h"

#include "dui/ControlWindow.h"
#include "dui/LayoutMath.h"
#include "dui/LiveSet.h"
#include "dui/MemberHandler.h"
#include "dui/StackPanel.h"
#include "dui/controls/ScrollBar.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>

namespace nelvo {

using namespace layout;

namespace {

constexpr int32_t kVkReturn = 0x0D, kVkEnd = 0x23, kVkHome = 0x24, kVkUp = 0x26, kVkDown = 0x28;

int32_t clampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool explicitHeight(const Control& c) {
    int32_t v;
    return c.getInt(attr::height, v) && v != -1;
}

// The list's stack: the items top to bottom, each `itemHeight` high unless it
// sets its own height.
class ItemStack final : public StackPanel {
public:
    Size measureOverride(int32_t availableWidth, int32_t) override {
        Size total{0, 0};
        for (Control* c = firstChild(); c; c = c->nextSibling()) {
            const Size d = c->measure(availableWidth, kUnbounded);
            total.cx = max(total.cx, d.cx);
            total.cy = add(total.cy, pitch(*c));
        }
        return total;
    }
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override {
        int32_t offset = 0;
        for (Control* c = firstChild(); c; c = c->nextSibling()) {
            const int32_t next = add(offset, pitch(*c));
            c->arrange({0, offset, finalWidth, next});
            offset = next;
        }
        return {finalWidth, finalHeight};
    }

private:
    int32_t pitch(const Control& c) const {
        if (explicitHeight(c)) return c.desiredSize().cy;
        const auto* list = dynamic_cast<const ListBox*>(parent());
        return list ? list->itemHeight() : c.desiredSize().cy;
    }
};

} // namespace

ListBox::ListBox() {
    stack_ = new ItemStack;
    addChild(stack_);
    listen<&ListBox::onPreviewLButtonDown>(*this, EventCode::PreviewLButtonDown);
    listen<&ListBox::onLButtonDown>(*this, EventCode::LButtonDown);
    listen<&ListBox::onLButtonUp>(*this, EventCode::LButtonUp);
    listen<&ListBox::onMouseWheel>(*this, EventCode::MouseWheel);
}

bool ListBox::childAction(Control& item) {
    if (indexOf(&item) < 0) return false;
    choose(&item);
    return true;
}

void ListBox::adoptItem(Control& list, ControlPtr item) { static_cast<ListBox&>(list).addItem(std::move(item)); }

void ListBox::addItem(ControlPtr item) {
    item->setFlag(ControlFlag::ListItem, true);
    stack_->addChild(std::move(item));
}

size_t ListBox::itemCount() const { return static_cast<size_t>(stack_->childCount()); }

Control* ListBox::item(size_t index) const {
    Control* c = stack_->firstChild();
    for (; c && index > 0; --index) c = c->nextSibling();
    return c;
}

int32_t ListBox::indexOf(const Control* item) const {
    int32_t i = 0;
    for (Control* c = stack_->firstChild(); c; c = c->nextSibling(), ++i)
        if (c == item) return i;
    return -1;
}

Control* ListBox::selectedItem() const {
    // The selection may have been destroyed since: only an item still in
    // the stack counts.
    return selected_ && indexOf(selected_) >= 0 ? selected_ : nullptr;
}

std::u16string ListBox::selectedText() const {
    const Control* c = selectedItem();
    return c ? c->text() : std::u16string();
}

int32_t ListBox::itemHeight() const { return intOr(attr::itemHeight, 0); }

ScrollBar* ListBox::createScrollBar() {
    ScrollBar* bar = ScrollPanel::createScrollBar();
    // Without its handler the bar would show a position it cannot change.
    if (!bar->addHandler(EventCode::Notify, this, &ListBox::barNotify)) bar->setFlag(ControlFlag::Visible, false);
    return bar;
}

void ListBox::barNotify(void* object, Control* sender, Event* e) {
    static_cast<ListBox*>(object)->onBarNotify(*static_cast<ScrollBar*>(sender), *e);
}

int32_t ListBox::step() const {
    // Without a usable item height the list scrolls by pixels.
    const int32_t h = itemHeight();
    return h > 0 ? h : 1;
}

int32_t ListBox::pageStep() const {
    const int32_t h = step();
    return clampToInt32(static_cast<int64_t>(h) * (bounds().height() / h));
}

void ListBox::onBarNotify(ScrollBar& bar, Event& e) {
    const int64_t position = bar.position();
    int64_t next;
    switch (e.param1) {
    case ScrollBar::StepBack: next = position - step(); break;
    case ScrollBar::StepForward: next = position + step(); break;
    case ScrollBar::PageBack: next = position - pageStep(); break;
    case ScrollBar::PageForward: next = position + pageStep(); break;
    case ScrollBar::ThumbDragged: next = static_cast<int64_t>(step()) * (static_cast<int32_t>(e.param2) / step()); break;
    default: return;
    }
    bar.setPosition(clampToInt32(next));
}

void ListBox::makeVisible(Control* item) {
    ScrollBar* bar = verticalBar();
    if (!item || !bar || indexOf(item) < 0) return;
    const int64_t start = showsVerticalBar() ? bar->position() : 0;
    const int64_t end = start + bounds().height();
    const Rect r = item->bounds();
    if (r.top >= start && r.bottom <= end) return;
    if (r.top >= start)
        bar->setPosition(clampToInt32(static_cast<int64_t>(r.bottom) - pageStep()));
    else
        bar->setPosition(r.top);
}

void ListBox::select(Control* item) {
    if (item && indexOf(item) < 0) return;
    // The new selection is stored first: the checked states raise
    // ValueChange, whose handlers may look at the list or destroy things.
    // Events reach only attached controls, so a list outside a window
    // cannot go away meanwhile.
    const bool attachedBefore = LiveSet::contains(this);
    auto gone = [&] { return attachedBefore && !LiveSet::contains(this); };
    Control* old = selectedItem();
    selected_ = item;
    if (old && old != item) old->setChecked(false);
    if (gone()) return;
    if (item && indexOf(item) >= 0) {
        item->setChecked(true);
        if (gone()) return;
        makeVisible(item);
    }
    invalidate(false);
}

void ListBox::choose(Control* item) {
    const int32_t index = indexOf(item);
    if (index < 0) return;
    select(item);
    Event e = makeEvent(EventCode::Notify, Routing::Direct, 0, index);
    raiseEvent(e);
}

Control* ListBox::itemAt(Point p) const {
    Rect r;
    if (!windowRect(r) || !r.contains(p.x, p.y)) return nullptr;
    for (const ScrollBar* bar : {verticalBar(), horizontalBar()})
        if (bar && bar->windowRect(r) && r.contains(p.x, p.y)) return nullptr;
    for (Control* c = stack_->firstChild(); c; c = c->nextSibling())
        if (c->visible() && c->windowRect(r) && r.contains(p.x, p.y)) return c;
    return nullptr;
}

void ListBox::onPreviewLButtonDown(Event&) {
    if (ControlWindow* w = window()) w->setFocus(this);
}

void ListBox::onLButtonDown(Event& e) { pressedItem_ = itemAt(eventPoint(e)); }

void ListBox::onLButtonUp(Event& e) {
    Control* pressed = pressedItem_;
    pressedItem_ = nullptr;
    // The same item under press and release: pressedItem_ is compared, never
    // followed, since the item may have gone in between.
    if (!pressed) return;
    Control* released = itemAt(eventPoint(e));
    if (released == pressed) choose(released);
}

void ListBox::onMouseWheel(Event& e) {
    ScrollBar* bar = verticalBar();
    if (!bar) return;
    e.handled = 1;
    bar->setPosition(clampToInt32(bar->position() - static_cast<int64_t>(step()) * (wheelDelta(e) / 60)));
    // The content moved under a still pointer: let the hover follow it.
    if (ControlWindow* w = window()) w->pointerMovedUnder();
}

void ListBox::onKeyDown(Event& e) {
    Control* current = selectedItem();
    Control* next = nullptr;
    switch (e.param1) {
    case kVkHome: next = stack_->firstChild(); break;
    case kVkEnd: next = stack_->lastChild(); break;
    default: break;
    }
    if (!current && !next && e.param1 == kVkDown) next = stack_->firstChild();
    if (next) {
        e.handled = 1;
        select(next);
        return;
    }
    if (!current) return;
    switch (e.param1) {
    case kVkUp: next = current->previousSibling(); break;
    case kVkDown: next = current->nextSibling(); break;
    case kVkReturn:
        e.handled = 1;
        choose(current);
        return;
    default: return;
    }
    e.handled = 1;
    if (next) select(next);
}

} // namespace nelvo
