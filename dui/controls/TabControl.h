#pragma once
// TabControl: a panel of TabItem headers, each owning one page. The headers
// stand in a strip `tabHeight` thick along the top (`tabPlacement` "top",
// the default) or the left edge ("left"); the pages share the rest. Only the
// selected item's page is painted and hit; with the headers on top a newly
// selected page slides in over the old one.
//
// After its first arrange a tab control with items always has one selected.

#include "dui/Panel.h"

namespace nelvo {

class TabItem;

class TabControl : public Panel {
public:
    TabControl() = default;

    // Selects `item` (a child of this tab control). Nothing when it is
    // selected already. Otherwise the old item is unchecked, gets
    // ValueChange (Direct) and is repainted at once; then `item` is checked
    // and the tab control gets ValueChange (the new item gets none). With
    // the headers on top and an old selection, the new page slides in from
    // the right when the new item comes after the old one, from the left
    // otherwise: ten steps of about 10 ms, each repainted at once, so this
    // blocks for about 100 ms.
    void select(TabItem* item);
    TabItem* selectedItem() const;

    // In this control's own coordinates, from the last arrange.
    const Rect& headerStrip() const { return headerStrip_; }
    const Rect& pageRect() const { return pageRect_; }

    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    access::Role accessibleRole() const override { return access::Role::PageTabList; }
    // The headers, then the selected page.
    void shownChildren(std::vector<Control*>& out) const override;
    Control* hitTest(int32_t x, int32_t y) override;
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;

    // Called after each of the ten slide steps has been painted, with the
    // page at its step position and the step (0 to 9). For pictures of a
    // slide half-way; null (the default) for none.
    using SlideStepHook = void (*)(TabControl& tabs, Control& page, int step);
    static void setSlideStepHook(SlideStepHook hook);

private:
    enum class Placement { Top, Left, None };
    Placement placement() const;
    // The index of `c` among the children; -1 when it is none of them.
    int32_t indexOf(const Control* c) const;
    // The selected item's page, when the item is still a child and has one.
    Control* selectedPage() const;
    void slide(Control& page, bool forward);

    TabItem* selected_ = nullptr;
    Rect headerStrip_;
    Rect pageRect_;
};

} // namespace nelvo
