#include "dui/WindowBase.h"

#include <map>

namespace nelvo {
namespace {

std::map<HWND, WindowBase*>& windows() {
    static std::map<HWND, WindowBase*> map;
    return map;
}

} // namespace

WindowBase::~WindowBase() {
    auto it = windows().find(hwnd_);
    if (it != windows().end() && it->second == this) windows().erase(it);
}

void WindowBase::bind(HWND hwnd) {
    hwnd_ = hwnd;
    windows()[hwnd] = this;
}

WindowBase* WindowBase::fromHandle(HWND hwnd) {
    auto it = windows().find(hwnd);
    return it == windows().end() ? nullptr : it->second;
}

LRESULT WindowBase::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        delete this;
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowBase* window = fromHandle(hwnd);
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return window->handleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing crosses the window procedure; the message counts as handled.
        return 0;
    }
}

} // namespace nelvo
