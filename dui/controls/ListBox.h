#pragma once
// ListBox: a scroll panel over a vertical stack of items that scrolls in
// whole items of `itemHeight` pixels. Items are ordinary controls (markup:
// every child element of a ListBox element); an item without an explicit
// `height` is `itemHeight` high. The selected item is marked by its own
// checked state.
//
// Input: a press gives the list the focus; the wheel scrolls two items per
// notch; Up and Down move an existing selection and bring it into view; a
// click on an item (press and release on the same item), or Enter with a
// selection, selects it and raises Notify (Direct) on the list box with
// param1 = 0 and param2 = the item's index. Nothing selects a first item by
// itself.

#include "dui/StackPanel.h"
#include "dui/controls/ScrollPanel.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace nelvo {

class ListBox : public ScrollPanel {
public:
    ListBox();

    // Appends `item` to the stack (the list owns it from then on).
    void addItem(ControlPtr item);
    size_t itemCount() const;
    // The item at `index`, or null.
    Control* item(size_t index) const;
    // The index of an item of this list; -1 for anything else.
    int32_t indexOf(const Control* item) const;

    // The selected item, or null.
    Control* selectedItem() const;
    // The `text` of the selected item; empty when none is selected.
    std::u16string selectedText() const;
    // Selects `item` (an item of this list; null clears the selection):
    // the old item's checked state is cleared, the new one's set, and it is
    // made visible. Raises no Notify.
    void select(Control* item);
    // Scrolls so that `item` is inside the visible range.
    void makeVisible(Control* item);

    // The `itemHeight` attribute; 0 when absent. Without a positive one the
    // list scrolls by single pixels.
    int32_t itemHeight() const;
    StackPanel& stack() const { return *stack_; }

    // The markup child rule of ListBox elements: every child is an item.
    static void adoptItem(Control& list, ControlPtr item);

    ScrollBar* createScrollBar() override;

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::List; }
    // An item's action selects it and raises Notify, as its click does.
    bool childAction(Control& item) override;

private:
    void onPreviewLButtonDown(Event& e);
    void onLButtonDown(Event& e);
    void onLButtonUp(Event& e);
    void onMouseWheel(Event& e);
    void onKeyDown(Event& e) override;
    // A bar's Notify: arrows step one item, the track one page of whole
    // items, and a dragged thumb snaps to a whole item.
    static void barNotify(void* object, Control* sender, Event* e);
    void onBarNotify(ScrollBar& bar, Event& e);
    // `itemHeight`, or 1 (pixels) when it is absent or not positive.
    int32_t step() const;
    // The whole items that fit into the list's height, in pixels.
    int32_t pageStep() const;

    // The item under a client point, or null.
    Control* itemAt(Point p) const;
    // Selects, repaints and raises the list's Notify for `item`.
    void choose(Control* item);

    StackPanel* stack_ = nullptr;
    Control* selected_ = nullptr;
    Control* pressedItem_ = nullptr;
};

} // namespace nelvo
