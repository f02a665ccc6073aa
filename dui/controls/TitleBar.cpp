#include "dui/controls/TitleBar.h"

#include "dui/ControlWindow.h"

namespace nelvo {

TitleBar::TitleBar() { addHandler(EventCode::LButtonDown, this, &TitleBar::startMove); }

void TitleBar::startMove(void* object, Control*, Event*) {
#ifdef _WIN32
    constexpr WPARAM kMoveByCaption = 0xF012;  // SC_MOVE | HTCAPTION
    if (ControlWindow* w = static_cast<TitleBar*>(object)->window())
        if (HWND hwnd = w->nativeHandle()) SendMessageW(hwnd, WM_SYSCOMMAND, kMoveByCaption, 0);
#else
    (void)object;
#endif
}

} // namespace nelvo
