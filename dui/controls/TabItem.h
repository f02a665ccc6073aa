#pragma once
// TabItem: one header of a TabControl. It owns its page (in markup, its first
// child element), which is not one of its children: while the item is in a
// window the page names the tab control as its parent and is attached with
// the item, and the tab control paints and hit-tests it when the item is
// selected. The page is destroyed with the item.
//
// The item takes the button bits but does not capture the mouse, so it is
// never pressed and raises no Click: a press selects it in its tab control.
// Selection shows as the item's checked state.

#include "dui/controls/Button.h"

namespace nelvo {

class TabItem : public Button {
public:
    TabItem();

    // Takes ownership; a previous page is destroyed. A page set while the
    // item is in a window joins it at once.
    void setPage(ControlPtr page);
    // The markup child rule of TabItem elements: `item` (a TabItem) takes
    // the child as its page.
    static void adoptPage(Control& item, ControlPtr page) { static_cast<TabItem&>(item).setPage(std::move(page)); }
    Control* page() const { return page_.get(); }

    access::Role accessibleRole() const override { return access::Role::PageTab; }
    uint32_t accessibleState() const override {
        return access::State::Selectable | (checked() ? access::State::Selected : 0);
    }
    std::u16string defaultActionName() const override { return u"选择"; }
    // Selects the item in its tab control.
    bool doDefaultAction() override;

protected:
    ~TabItem() override { page_.reset(); }

private:
    // LButtonDown: an unchecked item is selected by its tab control; the
    // press is handled either way.
    void onPress(Event& e);
    // Attached: the page takes the item's parent as its own and joins the
    // window. Detached: the page leaves the window too.
    void onAttached(Event& e);
    void onDetached(Event& e);
    // Left and Right (Up and Down with the headers on the left) select the
    // neighbouring item and give it the focus.
    void onKeyDown(Event& e);
    void joinPage();

    ControlPtr page_;
};

} // namespace nelvo
