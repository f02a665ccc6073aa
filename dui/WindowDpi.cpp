// WindowImpl's scale: the DPI a window is shown at, what changes when it
// moves to a monitor of another DPI, and the conversions between the layout
// units of the tree and the device pixels of the system.
//
// The program declares itself DPI-aware in its manifest, so the system
// neither stretches the window as a bitmap nor lies about sizes: every
// position and size the system hands over or takes is in device pixels.

#include "dui/WindowImpl.h"

namespace nelvo {
namespace {

int32_t g_dpiOverride = 0;

// A DPI we can draw at: the system's answer when it is sane, else 96.
int32_t saneDpi(int64_t dpi) { return dpi >= 48 && dpi <= 960 ? int32_t(dpi) : DpiScale::kBaseDpi; }

} // namespace

void WindowImpl::setDpiOverride(int32_t dpi) { g_dpiOverride = dpi; }

int32_t WindowImpl::systemDpi(HWND hwnd) {
    if (g_dpiOverride > 0) return saneDpi(g_dpiOverride);
    // The monitor's DPI where the system has per-monitor DPI (Windows 10
    // 1607 and later); looked up by name so the program still starts on
    // the systems before.
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<GetDpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && hwnd)
        if (const UINT dpi = forWindow(hwnd)) return saneDpi(dpi);
    // Before: the one DPI of every screen.
    HDC screen = GetDC(nullptr);
    if (!screen) return DpiScale::kBaseDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return saneDpi(dpi);
}

void WindowImpl::setDpi(int32_t dpi) {
    dpi = saneDpi(dpi);
    if (dpi == scale_.dpi) return;
    scale_ = {dpi};
    // The text measures differently at the new scale: the same layout size,
    // measured and arranged again.
    if (root_) {
        const Size units = layoutSize();
        layoutRoot(units.cx, units.cy);
    }
    RECT client;
    if (GetClientRect(hwnd_, &client)) {
        if (hasRegion_) applyRoundCorner(client.right, client.bottom);
    }
    // The system caret is in device pixels: made again where ours is.
    if (systemCaret_) {
        DestroyCaret();
        systemCaret_ = false;
        if (caretVisible_ || caretTimer_.running()) {
            systemCaret_ =
                CreateCaret(hwnd_, nullptr, scale_.toDevice(caretWidth_), scale_.toDevice(caretHeight_)) != FALSE;
            if (systemCaret_) SetCaretPos(scale_.toDevice(caretX_), scale_.toDevice(caretY_));
        }
    }
    hideTooltip();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void WindowImpl::onDpiChanged(WPARAM wParam, const RECT* suggested) {
    setDpi(LOWORD(wParam));
    // The system's rectangle keeps the window under the pointer as it
    // crosses to the other monitor; the size it brings is the old one scaled.
    // WM_SIZE follows with the back buffer and the corners.
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (root_) root_->invalidate(false);
}

Size WindowImpl::unitsOfClient(int32_t width, int32_t height) const {
    // A root laid out at its own size fills a client of that size scaled;
    // it keeps that size (at 120 DPI 366 units make 458 pixels, which would
    // cover 367 units).
    const Rect b = root_ ? root_->bounds() : Rect{};
    if (scale_.toDevice(b.width()) == width && scale_.toDevice(b.height()) == height) return {b.width(), b.height()};
    const Rect units = scale_.toUnitsCovering({0, 0, width, height});
    return {units.right, units.bottom};
}

void WindowImpl::applyScale(HDC dc) const {
    if (scale_.identity()) return;
    SetGraphicsMode(dc, GM_ADVANCED);
    XFORM x{};
    x.eM11 = x.eM22 = float(scale_.dpi) / float(DpiScale::kBaseDpi);
    SetWorldTransform(dc, &x);
}

} // namespace nelvo
