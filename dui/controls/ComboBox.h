#pragma once
// ComboBox: a one-line field showing its `text` attribute, with a drop
// button. A press opens the drop-down list in a popup window of its own
// (ComboHelperWnd), below the field or, near the bottom of the screen,
// above it; the press returns only when the popup has closed again.
// Choosing an entry copies its text into the field and raises ValueChange
// (Direct, parameters 0) when the text changed; Escape or activating
// another window closes the popup without a change.
//
// The entries are controls with a `text` (markup: the child elements of a
// ComboBox element), kept in the popup's list box. The popup window is made
// with the combo box and closed (WM_CLOSE, posted) when it is destroyed; a
// combo box that cannot make one shows its text but does not open.

#include "dui/Control.h"
#include "dui/ControlWindow.h"

#include <cstddef>
#include <string>

namespace nelvo {

class ComboHelperWnd;
class ListBox;

class ComboBox : public Control {
public:
    ComboBox();

    // Appends an entry to the drop-down list, which owns it from then on.
    // Without a popup the entry is destroyed.
    void addItem(ControlPtr item);
    // The markup child rule of ComboBox elements: every child is an entry.
    static void adoptItem(Control& combo, ControlPtr item);
    size_t itemCount() const;

    // The chosen entry's text: when it differs from `text`, it becomes the
    // text, the field is repainted and ValueChange raised. True on a change.
    bool commit(const std::u16string& chosen);

    // Draws the style named by `style`, or "combobox.xml" when that is
    // absent or does not resolve.
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::ComboBox; }
    std::u16string accessibleValue() const override { return text(); }

    // The popup's list box and window; null without a popup (and always in
    // the native build).
    ListBox* list() const;
    NativeWindow popupWindow() const { return popup_; }

    // The height of a row of the drop-down list, in the placement rules.
    static constexpr int32_t kRowHeight = 24;
    // The list shows at most this many rows; more scroll.
    static constexpr int32_t kMostRows = 6;

    // Where a popup for `entries` entries opens for a field `fieldHeight`
    // high whose top-left corner is at screen row `top`, on a screen
    // `screenHeight` high: true downwards (its top at top + fieldHeight),
    // false upwards. `popupTop` receives the popup's top edge.
    static bool opensDownwards(size_t entries, int32_t fieldHeight, int32_t top, int32_t screenHeight,
                               int32_t& popupTop);
    // The popup's height for `entries` entries: the rows and a 2-pixel frame
    // above and below, at most six rows.
    static int32_t popupHeight(size_t entries);

protected:
    // Posts WM_CLOSE to the popup window, which no longer knows this box.
    ~ComboBox() override;

private:
    // LButtonDown: opens the popup and runs its loop until it closes.
    void open(Event& e);
    // KeyDown: Up and Down choose the entry before or after the shown one
    // without opening; F4 and Space open the list.
    void onKeyDown(Event& e);
#ifdef _WIN32
    ComboHelperWnd* popup() const;
#endif

    NativeWindow popup_ = nullptr;
};

} // namespace nelvo
