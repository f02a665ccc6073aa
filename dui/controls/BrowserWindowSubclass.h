#pragma once
// BrowserWindowSubclass: the window procedure put in front of a web
// browser's inner window (the window that gets the page's keyboard input).
// It builds a message record for each message (window, message, parameters,
// the tick count, the cursor position) and offers it to the in-place active
// objects (ActiveObjectSet); one that translates it consumes it (0 is
// answered and the previous procedure never sees it). Otherwise
// WM_ERASEBKGND is answered 1 without erasing (the page paints every pixel,
// so erasing first would only flicker), and every other message goes to the
// previous procedure.
//
// The previous procedure is kept per window; when the window is destroyed
// (WM_NCDESTROY) it is put back and the entry dropped. UI thread only.

#include <windows.h>

namespace nelvo {

class BrowserWindowSubclass {
public:
    BrowserWindowSubclass() = delete;

    // Puts the procedure in front of `window`. False when there is no such
    // window or its procedure cannot be replaced; true also when it is
    // subclassed already.
    static bool install(HWND window);
    static bool installed(HWND window);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace nelvo
