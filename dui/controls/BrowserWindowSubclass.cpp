#include "dui/controls/BrowserWindowSubclass.h"

#include "dui/controls/ActiveObjectSet.h"

#include <map>

namespace nelvo {

namespace {

std::map<HWND, WNDPROC>& previousProcedures() {
    static std::map<HWND, WNDPROC> map;
    return map;
}

} // namespace

bool BrowserWindowSubclass::install(HWND window) {
    if (!window || !IsWindow(window)) return false;
    auto& map = previousProcedures();
    if (map.count(window)) return true;
    SetLastError(0);
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserWindowSubclass::procedure)));
    if (!previous) return false;
    map[window] = previous;
    return true;
}

bool BrowserWindowSubclass::installed(HWND window) { return previousProcedures().count(window) != 0; }

LRESULT CALLBACK BrowserWindowSubclass::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& map = previousProcedures();
    const auto it = map.find(window);
    if (it == map.end()) return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = it->second;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        map.erase(it);
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }

    MSG record{window, message, wParam, lParam, GetTickCount(), {}};
    GetCursorPos(&record.pt);
    if (ActiveObjectSet::translate(record)) return 0;
    if (message == WM_ERASEBKGND) return 1;
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

} // namespace nelvo
