#include "dui/controls/TabItem.h"

#include "dui/ControlWindow.h"
#include "dui/MemberHandler.h"
#include "dui/Panel.h"
#include "dui/controls/TabControl.h"

namespace nelvo {

TabItem::TabItem() {
    setFlag(ControlFlag::CaptureOnPress, false);
    listen<&TabItem::onPress>(*this, EventCode::LButtonDown);
    listen<&TabItem::onAttached>(*this, EventCode::Attached);
    listen<&TabItem::onDetached>(*this, EventCode::Detached);
    listen<&TabItem::onKeyDown>(*this, EventCode::KeyDown);
}

bool TabItem::doDefaultAction() {
    auto* tabs = dynamic_cast<TabControl*>(parent());
    if (!tabs) return false;
    tabs->select(this);
    return true;
}

void TabItem::onKeyDown(Event& e) {
    constexpr intptr_t kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
    Control* next = nullptr;
    if (e.param1 == kLeft || e.param1 == kUp)
        next = previousSibling();
    else if (e.param1 == kRight || e.param1 == kDown)
        next = nextSibling();
    else
        return;
    e.handled = 1;
    auto* item = dynamic_cast<TabItem*>(next);
    if (!item || !item->enabled()) return;
    ControlWindow* w = window();
    item->doDefaultAction();
    if (w && item->attached()) w->setFocus(item);
}

void TabItem::setPage(ControlPtr page) {
    page_ = std::move(page);
    if (page_ && attached()) joinPage();
}

void TabItem::joinPage() {
    if (Panel* tabs = parent() ? parent()->asPanel() : nullptr) tabs->parentWithoutOwning(*page_);
    if (ControlWindow* w = window()) attach(*w, *page_);
}

void TabItem::onPress(Event& e) {
    e.handled = 1;
    if (checked()) return;
    if (auto* tabs = dynamic_cast<TabControl*>(parent())) tabs->select(this);
}

void TabItem::onAttached(Event&) {
    if (page_) joinPage();
}

void TabItem::onDetached(Event&) {
    if (page_) detach(*page_);
}

} // namespace nelvo
