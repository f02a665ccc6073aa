#pragma once
// WindowBase: a native window whose messages go to an object. A process-wide
// map from window handle to object routes them; a handle missing from the
// map goes to DefWindowProcW. The base deletes the object on WM_DESTROY.
// Windows build only; UI thread.

#include <windows.h>

#include <cstdint>

namespace nelvo {

class WindowBase {
public:
    WindowBase() = default;
    // Leaves the map if the entry still names this object.
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The base deletes the object on WM_DESTROY (returning 0) and passes
    // every other message to DefWindowProcW. Runs inside a window procedure:
    // nothing may be thrown out of it.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle() const { return hwnd_; }
    int32_t modalResult() const { return modalResult_; }

    // The object of a handle, or null.
    static WindowBase* fromHandle(HWND hwnd);
    // The window procedure of every class whose windows are WindowBase
    // objects.
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Records the handle and enters it in the map (the creation hook does
    // this before WM_NCCREATE arrives).
    void bind(HWND hwnd);

    HWND hwnd_ = nullptr;
    int32_t modalResult_ = 0;
};

} // namespace nelvo
