#include "dui/DispatcherWindow.h"

namespace nelvo {

DispatcherWindow::~DispatcherWindow() { shutdown(); }

bool DispatcherWindow::create() {
    if (hwnd_) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &DispatcherWindow::windowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return false;
    }
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            instance, nullptr);
    return hwnd_ != nullptr;
}

void DispatcherWindow::shutdown() {
    if (!hwnd_) return;
    // Tasks still queued run now; their targets have left their windows, so
    // they deliver nothing but are freed.
    MSG msg;
    while (PeekMessageW(&msg, hwnd_, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

bool DispatcherWindow::post(PostedTask* task) {
    return hwnd_ && PostMessageW(hwnd_, kTaskMessage, 0, reinterpret_cast<LPARAM>(task));
}

LRESULT CALLBACK DispatcherWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTaskMessage && lParam) {
        try {
            PostedTask::run(reinterpret_cast<PostedTask*>(lParam));
        } catch (...) {
            // A handler's failure ends here, not in the message loop.
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace nelvo
