// The popup window is a native window: there is nothing of it in the native
// build.
#ifdef _WIN32
#include "dui/controls/ComboHelperWnd.h"

#include "dui/Grid.h"
#include "dui/MemberHandler.h"
#include "dui/controls/ComboBox.h"
#include "dui/controls/ListBox.h"

#include <windowsx.h>

namespace nelvo {
namespace {

ComboHelperWnd::ShownHook g_shownHook = nullptr;

bool isClientMouse(UINT m) { return m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK; }
bool isNonClientMouse(UINT m) { return m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK; }
bool isKeyboard(UINT m) { return m >= WM_KEYFIRST && m <= WM_SYSDEADCHAR; }
bool isCloseRequest(const MSG& msg) {
    return msg.message == WM_CLOSE || (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
}

} // namespace

void ComboHelperWnd::setShownHook(ShownHook hook) { g_shownHook = hook; }

ComboHelperWnd::ComboHelperWnd(ControlPtr root, ListBox& list, ComboBox& combo)
    : WindowImpl(std::move(root)), combo_(&combo), list_(&list) {}

ComboHelperWnd* ComboHelperWnd::create(ComboBox& combo) {
    ControlPtr root(new Grid);
    root->setText(attr::style, u"ComboDropped_Bkgnd.xml");
    auto* list = new ListBox;
    list->setRect(attr::margin, {2, 2, 2, 2});
    list->setInt(attr::itemHeight, ComboBox::kRowHeight);
    root->asPanel()->addChild(list);
    auto* popup = new ComboHelperWnd(std::move(root), *list, combo);
    // Without its handlers the popup could not be closed from the keyboard
    // or commit a choice: no popup at all.
    if (!list->addHandler(EventCode::Notify, popup, &memberHandler<&ComboHelperWnd::onChosen>) ||
        !popup->root()->addHandler(EventCode::PreviewKeyDown, popup,
                                   &memberHandler<&ComboHelperWnd::onPreviewKeyDown>)) {
        delete popup;
        return nullptr;
    }
    if (!createNative(popup, WS_POPUP, WS_EX_TOOLWINDOW, nullptr)) return nullptr;
    SetWindowPos(popup->handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return popup;
}

void ComboHelperWnd::open(int32_t x, int32_t y, int32_t width, bool downwards, const std::u16string& current,
                          int32_t dpi) {
    if (open_) return;
    downwards_ = downwards;
    setDpi(dpi);
    const size_t entries = list_->itemCount();
    const int32_t height = ComboBox::popupHeight(entries);
    Control* root = this->root();
    root->measure(width, height);
    root->arrange({0, 0, width, height});
    const Size device = dpiScale().toDevice(Size{width, height});
    MoveWindow(hwnd_, x, y, device.cx, device.cy, TRUE);
    Control* chosen = list_->item(0);
    while (chosen && chosen->text() != current) chosen = chosen->nextSibling();
    list_->select(chosen);
    done_ = false;
    open_ = true;
    const HWND before = GetActiveWindow();
    AnimateWindow(hwnd_, kSlideMs, downwards ? kSlideDown : kSlideUp);
    setFocus(list_);
    if (g_shownHook && combo_) {
        UpdateWindow(hwnd_);
        g_shownHook(*combo_, hwnd_);
    }
    const HWND self = hwnd_;
    ControlWindow* host = combo_ ? combo_->window() : nullptr;
    if (!runLoop(host ? host->nativeHandle() : nullptr)) return;
    open_ = false;
    // Closed from inside (a commit, Escape, WM_QUIT) the popup still holds
    // the activation, and hiding it would leave no window active: the
    // keyboard would reach nothing until the next click. The window that
    // was active before takes it back.
    const bool stillActive = GetActiveWindow() == self;
    SetWindowPos(self, nullptr, 0, 0, 0, 0, kHideFlags);
    if (stillActive && before && before != self && IsWindow(before)) SetActiveWindow(before);
}

bool ComboHelperWnd::runLoop(HWND host) {
    const HWND self = hwnd_;
    MSG msg{};
    bool quit = false;
    // The done flag is tested before each wait: a commit ends the loop at
    // once, and no message is fetched only to be dropped.
    while (!done_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got == -1) break;
        // The box's window is the dialog whose loop this one runs inside:
        // its close requests are dropped, as that loop drops them.
        if (host && msg.hwnd == host && isCloseRequest(msg)) continue;
        if (isClientMouse(msg.message)) {
            POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            if (msg.hwnd && msg.hwnd != self) MapWindowPoints(msg.hwnd, self, &p, 1);
            msg.lParam = MAKELPARAM(p.x, p.y);
            msg.hwnd = self;
        } else if (isNonClientMouse(msg.message) || isKeyboard(msg.message) || msg.message == WM_MOUSEWHEEL) {
            msg.hwnd = self;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (WindowBase::fromHandle(self) != this) return false;
        if (GetActiveWindow() != self) break;
    }
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return true;
}

void ComboHelperWnd::onChosen(Event&) {
    done_ = true;
    // The combo box's ValueChange handlers may destroy it (it then only
    // posts WM_CLOSE here): the popup is still whole afterwards.
    if (combo_) combo_->commit(list_->selectedText());
}

void ComboHelperWnd::onPreviewKeyDown(Event& e) {
    if (e.param1 != VK_ESCAPE) return;
    done_ = true;
    e.handled = 1;
}

LRESULT ComboHelperWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_ACTIVE) {
            // The focused control never left (WM_KILLFOCUS is swallowed):
            // only the window's keyboard focus comes back.
            SetFocus(hwnd_);
            if (!focusControl()) setFocus(list_);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        return 0;
    case WM_CLOSE:
        // A close request (Alt+F4, the system menu's close) closes the list;
        // the window itself goes only with its combo box.
        if (!combo_) break;
        if (open_ && !done_) {
            done_ = true;
            PostMessageW(hwnd_, WM_NULL, 0, 0);
        }
        return 0;
    default:
        break;
    }
    return WindowImpl::handleMessage(message, wParam, lParam);
}

} // namespace nelvo
#endif
