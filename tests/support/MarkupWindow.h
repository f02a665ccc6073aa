#pragma once
// One way to build a window from markup in tests (Windows build): the tree
// is loaded by the running framework's factory, so the framework must run
// with the controls the markup names registered.

#include "dui/Markup.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Surface.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace nelvo::test {

// A WS_POPUP window over the tree of `markup`, its top-left corner at
// (x, y) on the screen, then ShowWindow(`show`) unless `show` is SW_HIDE;
// placing it activates it only when `activate` says so. Null, with a test
// failure naming the reason, when the markup does not load or the window
// cannot be made.
inline WindowImpl* openMarkupWindow(const std::string& markup, int x, int y, int show, bool activate) {
    std::string error;
    ControlPtr root = loadMarkup(*UiContext::current(), markup, &error);
    EXPECT_TRUE(root) << error;
    if (!root) return nullptr;
    WindowImpl* window = WindowImpl::create(std::move(root), WS_POPUP, 0, &error);
    EXPECT_TRUE(window) << error;
    if (!window) return nullptr;
    SetWindowPos(window->handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | (activate ? 0 : SWP_NOACTIVATE));
    if (show != SW_HIDE) ShowWindow(window->handle(), show);
    return window;
}

// A shown, active window over a tree from markup at (40, 40), driven with
// window messages; destroyed with the object.
class MarkupWindow {
public:
    explicit MarkupWindow(const std::string& markup) {
        window_ = openMarkupWindow(markup, 40, 40, SW_SHOWNORMAL, true);
        if (!window_) return;
        hwnd_ = window_->handle();
        UpdateWindow(hwnd_);
        pump();
    }
    ~MarkupWindow() {
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        pump();
    }
    MarkupWindow(const MarkupWindow&) = delete;
    MarkupWindow& operator=(const MarkupWindow&) = delete;

    WindowImpl& window() { return *window_; }
    HWND hwnd() const { return hwnd_; }
    template <typename T = Control>
    T* child(int32_t id) {
        return static_cast<T*>(window_->childById(id));
    }

    // The centre of a control, in client coordinates.
    static POINT centre(Control& c) {
        Rect r;
        c.windowRect(r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    void move(int x, int y, WPARAM keys = 0) { send(WM_MOUSEMOVE, keys, x, y); }
    // The system's cursor to a client point too, for controls that read
    // the cursor themselves (timers), then the move.
    void moveCursor(int x, int y, WPARAM keys = 0) {
        POINT screen{x, y};
        ClientToScreen(hwnd_, &screen);
        SetCursorPos(screen.x, screen.y);
        move(x, y, keys);
    }
    void press(int x, int y) { send(WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
    void release(int x, int y) { send(WM_LBUTTONUP, 0, x, y); }
    void doubleClick(int x, int y) { send(WM_LBUTTONDBLCLK, MK_LBUTTON, x, y); }
    void click(int x, int y) {
        move(x, y);
        press(x, y);
        release(x, y);
    }
    void click(Control& c) {
        const POINT p = centre(c);
        click(p.x, p.y);
    }
    void wheel(int delta, Control& over) {
        const POINT p = centre(over);
        POINT screen = p;
        ClientToScreen(hwnd_, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(screen.x, screen.y));
        pump();
    }
    // The wheel where the cursor already is, without moving it (the system
    // sends a move of its own when the cursor is set).
    void wheelAtCursor(int delta) {
        POINT screen;
        GetCursorPos(&screen);
        SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(screen.x, screen.y));
        pump();
    }
    void key(UINT vk) {
        SendMessageW(hwnd_, WM_KEYDOWN, vk, 1);
        SendMessageW(hwnd_, WM_KEYUP, vk, 0xC0000001);
        pump();
    }
    void type(const std::u16string& text) {
        for (char16_t c : text) SendMessageW(hwnd_, WM_CHAR, c, 1);
        pump();
    }
    // A key with Ctrl held, as GetKeyState sees it.
    void ctrlKey(UINT vk) {
        setControlDown(true);
        key(vk);
        setControlDown(false);
    }

    // The window's picture as the window paints it, into `surface`.
    void render(Surface& surface) { window_->paintInto(surface.dc()); }
    Size clientSize() const {
        RECT r;
        GetClientRect(hwnd_, &r);
        return {r.right, r.bottom};
    }
    // Saves the window's picture as out/screenshots/<name>.png.
    void screenshot(const std::wstring& name) {
        const Size s = clientSize();
        Surface surface(s.cx, s.cy);
        render(surface);
        CreateDirectoryW(screenshotDir().c_str(), nullptr);
        savePixelsPng(surface.pixels(), s.cx, s.cy, screenshotDir() + L"\\" + name + L".png");
    }

    static void setControlDown(bool down) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = down ? 0x80 : 0;
        state[VK_LCONTROL] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }

private:
    void send(UINT message, WPARAM w, int x, int y) {
        SendMessageW(hwnd_, message, w, MAKELPARAM(x, y));
        pump();
    }

    WindowImpl* window_ = nullptr;
    HWND hwnd_ = nullptr;
};

} // namespace nelvo::test
