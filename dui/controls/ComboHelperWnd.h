#pragma once
// ComboHelperWnd: the popup window of a combo box. Its tree is a Grid drawn
// with the style "ComboDropped_Bkgnd.xml" holding the ListBox of entries
// (margin 2,2,2,2, itemHeight 24). The native window is made once, with the
// combo box: a hidden 1 x 1 WS_POPUP with WS_EX_TOOLWINDOW, shown only while
// the combo box is open.
//
// While it is open the calling thread runs the popup loop: mouse, keyboard
// and wheel input of the whole thread goes to the popup; the loop ends on a
// commit (an entry chosen by click or Enter), on Escape, on a close request
// to the popup (Alt+F4 included), when the popup is no longer the active
// window, or on WM_QUIT, which it posts again. Close requests to the box's
// window are dropped meanwhile. The popup keeps its focused control while
// it is not active.
//
// Lifetime: as every WindowImpl, until WM_DESTROY; a close request destroys
// it only once the combo box has gone (which posts WM_CLOSE when it goes).
// Windows build only; UI thread.

#include "dui/WindowImpl.h"

#include <string>

namespace nelvo {

class ComboBox;
class ListBox;

class ComboHelperWnd final : public WindowImpl {
public:
    // The popup of `combo`; null when the window cannot be made.
    static ComboHelperWnd* create(ComboBox& combo);

    ListBox& list() const { return *list_; }
    // The combo box is going: the popup no longer reports to it.
    void forgetCombo() { combo_ = nullptr; }

    // Shows the popup at screen (x, y) (device pixels), `width` layout units
    // wide and as high as its entries need, drawn at `dpi` (its box's),
    // sliding downwards or upwards; selects the entry whose
    // text is `current` (none when no entry has it); gives the list the
    // focus and runs the popup loop. Returns once the popup is hidden again,
    // or at once when the window went while the loop ran (the object is then
    // gone).
    void open(int32_t x, int32_t y, int32_t width, bool downwards, const std::u16string& current,
              int32_t dpi = DpiScale::kBaseDpi);
    bool openedDownwards() const { return downwards_; }

    // Called once the popup is shown and painted, before its loop runs, with
    // the combo box and the popup window: a picture of the open list can be
    // taken here, and input queued here reaches the loop. Null (the default)
    // for none.
    using ShownHook = void (*)(ComboBox& combo, HWND popup);
    static void setShownHook(ShownHook hook);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // AnimateWindow flags of an opening: slide and activate, downwards
    // (0x60004) or upwards (0x60008).
    static constexpr DWORD kSlideDown = AW_SLIDE | AW_ACTIVATE | AW_VER_POSITIVE;
    static constexpr DWORD kSlideUp = AW_SLIDE | AW_ACTIVATE | AW_VER_NEGATIVE;
    static constexpr DWORD kSlideMs = 100;
    // SetWindowPos flags that hide it: no move, size, z-order or activation.
    static constexpr UINT kHideFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW;

private:
    ComboHelperWnd(ControlPtr root, ListBox& list, ComboBox& combo);

    // Runs the popup loop inside the loop of `host`, the box's window (may
    // be null); false when the popup window went while it ran.
    bool runLoop(HWND host);
    // Notify on the list box: an entry was chosen.
    void onChosen(Event& e);
    // PreviewKeyDown on the root: Escape closes without a change.
    void onPreviewKeyDown(Event& e);

    ComboBox* combo_;
    ListBox* list_;
    bool downwards_ = true;
    bool done_ = false;
    bool open_ = false;  // guards against opening again from inside the loop
};

static_assert(ComboHelperWnd::kSlideDown == 0x60004 && ComboHelperWnd::kSlideUp == 0x60008);
static_assert(ComboHelperWnd::kHideFlags == 0x97);

} // namespace nelvo
