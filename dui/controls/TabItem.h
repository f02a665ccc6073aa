#pragma once
// TabItem: one tab of a TabControl. It owns its page (the first child element
// in markup), which is not one of its children; the page is destroyed with
// the item. Takes the button bits but does not capture the mouse.
// Placeholder until the control itself is built: the right base class, type
// name, flags and page ownership, no behaviour of its own yet.

#include "dui/controls/Button.h"

namespace nelvo {

class TabItem : public Button {
public:
    TabItem() { setFlag(ControlFlag::CaptureOnPress, false); }

    // Takes ownership; a previous page is destroyed.
    void setPage(ControlPtr page) { page_ = std::move(page); }
    // The markup child rule of TabItem elements: `item` (a TabItem) takes
    // the child as its page.
    static void adoptPage(Control& item, ControlPtr page) { static_cast<TabItem&>(item).setPage(std::move(page)); }
    Control* page() const { return page_.get(); }

protected:
    ~TabItem() override { page_.reset(); }

private:
    ControlPtr page_;
};

} // namespace nelvo
