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
