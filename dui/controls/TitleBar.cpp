#include "dui/controls/TitleBar.h"

#include "dui/ControlWindow.h"
#include "dui/MemberHandler.h"

namespace nelvo {

TitleBar::TitleBar() { listen<&TitleBar::startMove>(*this, EventCode::LButtonDown); }

void TitleBar::startMove(Event&) {
#ifdef _WIN32
    constexpr WPARAM kMoveByCaption = 0xF012;  // SC_MOVE | HTCAPTION
    if (ControlWindow* w = window())
        if (HWND hwnd = w->nativeHandle()) SendMessageW(hwnd, WM_SYSCOMMAND, kMoveByCaption, 0);
#endif
}

} // namespace nelvo
