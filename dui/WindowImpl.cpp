#include "dui/WindowImpl.h"
#include "dui/DibSection.h"

#include "dui/LiveSet.h"
#include "dui/Markup.h"
#include "dui/SkinLookup.h"
#include "base/LibrarySearch.h"
#include "base/StartupPhases.h"
#include "base/UserQuestion.h"

#include <imm.h>

#include <algorithm>

namespace nelvo {
namespace {

WindowImpl::DestroyHook g_destroyHook = nullptr;

// The window being created on this thread and the hook that binds it to its
// handle before the first message arrives.
thread_local WindowBase* t_creating = nullptr;
thread_local HHOOK t_cbtHook = nullptr;

void unhookCreation() {
    if (t_cbtHook) UnhookWindowsHookEx(t_cbtHook);
    t_cbtHook = nullptr;
}

bool registerWindowClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, WindowImpl::kClassName, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &WindowBase::windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WindowImpl::kClassName;
    return RegisterClassExW(&wc) != 0;
}

// The tooltip class, which comes from the common controls: loaded with the
// first tooltip, not before the first window (they take a while to load).
bool registerTooltipClass() {
    using InitCommonControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE controls = commonControlsLibrary();
    if (!controls) return false;
    const auto init = reinterpret_cast<InitCommonControls>(
        reinterpret_cast<void*>(GetProcAddress(controls, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    if (init) init(&icc);
    return true;
}

} // namespace

// Binds the window to the object on HCBT_CREATEWND, so the object sees
// every message from WM_NCCREATE on.
class WindowCreationHook {
public:
    static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && t_creating) {
            const HWND hwnd = reinterpret_cast<HWND>(wParam);
            wchar_t name[32] = {};
            GetClassNameW(hwnd, name, 32);
            if (lstrcmpW(name, WindowImpl::kClassName) == 0) {
                // A hook procedure must not throw: when the map cannot take
                // the entry the window stays unbound and create() fails.
                try {
                    static_cast<WindowImpl*>(t_creating)->bindHandle(hwnd);
                    t_creating = nullptr;
                } catch (...) {
                }
                HHOOK hook = t_cbtHook;
                unhookCreation();
                return CallNextHookEx(hook, code, wParam, lParam);
            }
        }
        return CallNextHookEx(t_cbtHook, code, wParam, lParam);
    }
};

void WindowImpl::bindHandle(HWND hwnd) { bind(hwnd); }

WindowImpl::WindowImpl(ControlPtr root) : root_(std::move(root)), caretTimer_(*this) {
    caretTimer_.setInterval(GetCaretBlinkTime());
}

WindowImpl::~WindowImpl() {
    hideTooltip();
    // Owned windows are destroyed before their owner, so the tooltip may be
    // gone already.
    if (tooltip_ && !IsWindow(tooltip_.get())) tooltip_.release();
    tooltip_.reset();
    caretTimer_.stop();
    root_.reset();
    releaseBackBuffer();
}

void WindowImpl::setDestroyHook(DestroyHook hook) { g_destroyHook = hook; }

WindowImpl* WindowImpl::fromHandle(HWND hwnd) {
    WindowBase* base = WindowBase::fromHandle(hwnd);
    return base ? dynamic_cast<WindowImpl*>(base) : nullptr;
}

WindowImpl* WindowImpl::create(std::u16string_view member, DWORD style, DWORD exStyle, std::string* error) {
    StartupPhases::mark("script until its window");
    ControlPtr root = loadLayout(member, error);
    if (!root) return nullptr;
    StartupPhases::mark("markup");
    return create(std::move(root), style, exStyle, error);
}

WindowImpl* WindowImpl::create(ControlPtr root, DWORD style, DWORD exStyle, std::string* error) {
    if (!root) {
        if (error) *error = "no control tree";
        return nullptr;
    }
    auto* window = new WindowImpl(std::move(root));
    return createNative(window, style, exStyle, error) ? window : nullptr;
}

bool WindowImpl::createNative(WindowImpl* window, DWORD style, DWORD exStyle, std::string* error) {
    if (!registerWindowClass()) {
        delete window;
        if (error) *error = "the window class cannot be registered";
        return false;
    }
    t_creating = window;
    t_cbtHook = SetWindowsHookExW(WH_CBT, &WindowCreationHook::proc, nullptr, GetCurrentThreadId());
    HWND hwnd = CreateWindowExW(exStyle, kClassName, nullptr, style, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    const bool bound = t_creating == nullptr;
    t_creating = nullptr;
    unhookCreation();
    if (hwnd && !bound) {
        // Created but never bound: its messages went to DefWindowProcW and
        // the object has no window. Neither can be used.
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    if (!hwnd) {
        // A window that got as far as its handle was destroyed by the system,
        // which deleted the object on WM_DESTROY.
        if (!bound) delete window;
        if (error) *error = "the window cannot be created";
        return false;
    }
    return true;
}

// --- Layout and size -------------------------------------------------------

Size WindowImpl::layoutSize() {
    Size size;
    if (root_->getSize(attr::initSize, size)) {
        root_->measure(size.cx, size.cy);
        return size;
    }
    return root_->measure(1024, 768);
}

void WindowImpl::layoutRoot(int32_t width, int32_t height) { root_->arrange({0, 0, width, height}); }

void WindowImpl::updateLayout() {
    const Size size = layoutSize();
    layoutRoot(size.cx, size.cy);
    const Size device = scale_.toDevice(size);
    SetWindowPos(hwnd_, nullptr, 0, 0, device.cx, device.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowImpl::applyRoundCorner(int32_t width, int32_t height) {
    Size corner;
    if (!root_->getSize(attr::roundCorner, corner)) return;
    // The size in device pixels; the corner's ellipse scales with the rest.
    corner = scale_.toDevice(corner);
    UniqueRegion region(CreateRoundRectRgn(0, 0, width + 1, height + 1, corner.cx, corner.cy));
    if (!region) return;
    // On success the system owns the region and deletes it when it is
    // replaced or the window goes.
    if (SetWindowRgn(hwnd_, region.get(), TRUE)) {
        region.release();
        hasRegion_ = true;
    }
}

LRESULT WindowImpl::onCreate() {
    // The scale first: the tree measures its text at it.
    scale_ = {systemDpi(hwnd_)};
    attach(*this, *root_);
    const Size size = layoutSize();
    layoutRoot(size.cx, size.cy);
    const Size device = scale_.toDevice(size);
    SetWindowPos(hwnd_, nullptr, 0, 0, device.cx, device.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    applyRoundCorner(device.cx, device.cy);
    // Focus is shown from the start only when a screen reader runs. The
    // setting for keyboard cues always is not asked: Wine turns it on by
    // default, and a mouse user must see the window as it always was.
    BOOL reader = FALSE;
    SystemParametersInfoW(SPI_GETSCREENREADER, 0, &reader, 0);
    cuesShown_ = reader != FALSE;
    StartupPhases::mark("window and layout");
    return 0;
}

void WindowImpl::onSize(int32_t width, int32_t height) {
    ensureBackBuffer(width, height);
    if (hasRegion_) applyRoundCorner(width, height);
    const Size units = unitsOfClient(width, height);
    const Rect client{0, 0, units.cx, units.cy};
    if (root_->bounds() != client) {
        root_->measure(units.cx, units.cy);
        layoutRoot(units.cx, units.cy);
    }
    root_->invalidate(false);
}

// --- Painting --------------------------------------------------------------

void WindowImpl::releaseBackBuffer() {
    if (backDc_ && backOldBitmap_) SelectObject(backDc_.get(), backOldBitmap_);
    backOldBitmap_ = nullptr;
    backBitmap_.reset();
    backDc_.reset();
    backWidth_ = backHeight_ = 0;
}

bool WindowImpl::ensureBackBuffer(int32_t width, int32_t height) {
    if (backDc_ && width == backWidth_ && height == backHeight_) return true;
    releaseBackBuffer();
    if (width <= 0 || height <= 0) return false;
    UniqueDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return false;
    uint32_t* bits = nullptr;
    UniqueBitmap bitmap = createDibSection32(width, height, &bits);
    if (!bitmap) return false;
    backOldBitmap_ = SelectObject(dc.get(), bitmap.get());
    SetBkMode(dc.get(), TRANSPARENT);
    backDc_ = std::move(dc);
    backBitmap_ = std::move(bitmap);
    backWidth_ = width;
    backHeight_ = height;
    return true;
}

void WindowImpl::paintTree(HDC dc, const Rect& clip, bool withCaret) {
    SelectGuard font(dc, findFont(kDefaultFontName));
    root_->paint(dc, root_->bounds(), clip);
    paintFocusCue(dc);
    if (withCaret && caretVisible_) {
        UniqueBrush brush(CreateSolidBrush(kCaretColour));
        const RECT r{caretX_, caretY_, caretX_ + caretWidth_, caretY_ + caretHeight_};
        FillRect(dc, &r, brush.get());
    }
}

void WindowImpl::onPaint() {
    PaintDc paint(hwnd_);
    const RECT& u = paint.info().rcPaint;
    if (!backDc_ || IsRectEmpty(&u)) return;
    {
        // The clip in device pixels, before the scale is set; the tree is
        // asked for the layout units that cover it. The scale goes with the
        // saved state, so the copy below is pixel for pixel.
        SaveDcGuard saved(backDc_.get());
        IntersectClipRect(backDc_.get(), u.left, u.top, u.right, u.bottom);
        applyScale(backDc_.get());
        paintTree(backDc_.get(), scale_.toUnitsCovering({u.left, u.top, u.right, u.bottom}), true);
    }
    BitBlt(paint.get(), u.left, u.top, u.right - u.left, u.bottom - u.top, backDc_.get(), u.left, u.top, SRCCOPY);
    StartupPhases::finish("first paint");
}

void WindowImpl::paintInto(HDC dc) {
    RECT device;
    Rect client;
    if (!hwnd_ || !GetClientRect(hwnd_, &device) || !clientRect(client)) return;
    SaveDcGuard saved(dc);
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, device.left, device.top, device.right, device.bottom);
    applyScale(dc);
    paintTree(dc, client, false);
}

void WindowImpl::onPrintClient(HDC dc, LPARAM flags) {
    if (flags & PRF_CLIENT) paintInto(dc);
}

// --- ControlWindow ---------------------------------------------------------

bool WindowImpl::clientRect(Rect& out) const {
    RECT r;
    if (!hwnd_ || !GetClientRect(hwnd_, &r)) return false;
    const Size units = unitsOfClient(r.right, r.bottom);
    out = {0, 0, units.cx, units.cy};
    return true;
}

void WindowImpl::invalidateRect(const Rect& rect) {
    // Rounded outward: every pixel the rectangle's drawing can touch.
    const Rect d = scale_.toDeviceCovering(rect);
    const RECT r{d.left, d.top, d.right, d.bottom};
    InvalidateRect(hwnd_, &r, FALSE);
}

void WindowImpl::requestUpdate(bool immediate) {
    if (immediate)
        SendMessageW(hwnd_, kUpdateMessage, 0, 0);
    else
        PostMessageW(hwnd_, kUpdateMessage, 0, 0);
}

bool WindowImpl::cursorDevicePosition(POINT& out) const {
    return GetCursorPos(&out) && ScreenToClient(hwnd_, &out);
}

bool WindowImpl::cursorPosition(Point& out) const {
    POINT p;
    if (!cursorDevicePosition(p)) return false;
    out = scale_.toUnits(Point{p.x, p.y});
    return true;
}

// --- Caret -----------------------------------------------------------------

void WindowImpl::WindowTimer::tick() {
    owner_.caretVisible_ = !owner_.caretVisible_;
    owner_.invalidateCaret();
}

void WindowImpl::invalidateCaret() {
    invalidateRect(caretRect());
    PostMessageW(hwnd_, kUpdateMessage, 0, 0);
}

void WindowImpl::setCaretSize(int32_t width, int32_t height) {
    if (caretVisible_) invalidateCaret();
    if (systemCaret_ && (width != caretWidth_ || height != caretHeight_)) {
        DestroyCaret();
        systemCaret_ = false;
    }
    caretWidth_ = width;
    caretHeight_ = height;
}

void WindowImpl::showCaret(int32_t x, int32_t y) {
    if (caretVisible_) invalidateCaret();
    // A system caret where ours is drawn, never shown, so that magnifiers
    // and screen readers can follow typing.
    if (!systemCaret_ || caretX_ != x || caretY_ != y) {
        if (!systemCaret_)
            systemCaret_ =
                CreateCaret(hwnd_, nullptr, scale_.toDevice(caretWidth_), scale_.toDevice(caretHeight_)) != FALSE;
        if (systemCaret_) {
            SetCaretPos(scale_.toDevice(x), scale_.toDevice(y));
            NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, hwnd_, OBJID_CARET, CHILDID_SELF);
        }
    }
    caretX_ = x;
    caretY_ = y;
    caretVisible_ = true;
    invalidateCaret();
    // Starting a stopped timer ticks once at once: a newly shown caret
    // starts in its hidden phase; a moved, blinking caret stays visible.
    caretTimer_.start();
}

void WindowImpl::hideCaret() {
    if (systemCaret_) DestroyCaret();
    systemCaret_ = false;
    caretVisible_ = false;
    invalidateCaret();
    if (HIMC imc = ImmGetContext(hwnd_)) {
        ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
        ImmReleaseContext(hwnd_, imc);
    }
    caretTimer_.stop();
}

void WindowImpl::onImeStartComposition() {
    if (!caretTimer_.running()) return;
    if (HWND ime = ImmGetDefaultIMEWnd(hwnd_)) {
        COMPOSITIONFORM form{};
        form.dwStyle = CFS_POINT;
        form.ptCurrentPos = {scale_.toDevice(caretX_), scale_.toDevice(caretY_)};
        SendMessageW(ime, WM_IME_CONTROL, IMC_SETCOMPOSITIONWINDOW, reinterpret_cast<LPARAM>(&form));
    }
}

// --- Tooltip ---------------------------------------------------------------

Point WindowImpl::tooltipPosition(Point cursor, size_t length, int32_t screenWidth, DpiScale scale) {
    const int32_t width = scale.toDevice(static_cast<int32_t>(14 * std::min<size_t>(length, 0x1000000)));
    const int32_t gap = scale.toDevice(2);
    int32_t x = cursor.x;
    if (x + width + gap > screenWidth) x = screenWidth - width - gap;
    return {x, cursor.y + scale.toDevice(19)};
}

bool WindowImpl::createTooltip() {
    if (tooltip_) return true;
    if (!registerTooltipClass()) return false;
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
    if (!tooltip_) return false;
    toolInfo_ = TTTOOLINFOW{};
    toolInfo_.cbSize = TTTOOLINFOW_V2_SIZE;
    toolInfo_.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    toolInfo_.hwnd = hwnd_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(tooltip_.get());
    toolInfo_.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    return true;
}

void WindowImpl::showTooltip(const std::u16string& text) {
    tooltipText_ = text;
    if (tooltipVisible_ || !createTooltip()) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    const Point at = tooltipPosition({cursor.x, cursor.y}, text.size(), GetSystemMetrics(SM_CXSCREEN), scale_);
    SendMessageW(tooltip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
    tooltipVisible_ = true;
}

void WindowImpl::hideTooltip() {
    if (!tooltipVisible_) return;
    tooltipVisible_ = false;
    if (tooltip_) SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
}

LRESULT WindowImpl::onNotify(LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && tooltip_ && header->hwndFrom == tooltip_.get() && header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        info->lpszText = reinterpret_cast<LPWSTR>(const_cast<char16_t*>(tooltipText_.c_str()));
        info->hinst = nullptr;
    }
    return 0;
}

// --- Modal loop ------------------------------------------------------------

void WindowImpl::endModal(int32_t code) {
    modalResult_ = code;
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

int WindowImpl::runModal(HWND owner) {
    // Before anything that may dispatch: showing the window and disabling
    // the owner send messages, and a timer may run inside them.
    inModal_ = true;
    bool ownerWasEnabled = false;
    if (owner) {
        if (IsIconic(owner)) ShowWindow(owner, SW_SHOWNORMAL);
        ownerWasEnabled = IsWindowEnabled(owner) != FALSE;
        EnableWindow(owner, FALSE);
    }
    const HWND self = hwnd_;
    StartupPhases::mark("script until shown");
    // An unattended run works through the same window, never shown.
    if (!unattended()) ShowWindow(self, SW_SHOWNORMAL);
    StartupPhases::mark("show");
    modalResult_ = 0;

    bool quit = false;
    bool alive = true;
    MSG msg;
    for (;;) {
        // A handler may have destroyed the window (and this object) while
        // the last message was dispatched.
        if (WindowBase::fromHandle(self) != this) {
            alive = false;
            break;
        }
        // A result set while another loop ran (a message box's, which took
        // the wake-up message) is seen before the next wait.
        if (modalResult_ != 0) break;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got == -1) break;
        if (WindowBase::fromHandle(self) != this) {
            alive = false;
            break;
        }
        if (modalResult_ != 0) break;
        // A close request is the cancel control's press (the close button's
        // own behaviour); without one it is dropped.
        if (msg.hwnd == self &&
            (msg.message == WM_CLOSE || (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE))) {
            requestClose();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (alive && WindowBase::fromHandle(self) != this) alive = false;
    if (alive) inModal_ = false;
    const int result = alive ? modalResult_ : 0;
    // The quit is for the loops outside, with a result pending or not.
    if (quit) PostQuitMessage(0);
    if (owner) {
        EnableWindow(owner, ownerWasEnabled ? TRUE : FALSE);
        SetActiveWindow(owner);
    }
    if (alive) {
        SetWindowPos(self, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        DestroyWindow(self);
    }
    return result;
}

// --- Destruction -----------------------------------------------------------

void WindowImpl::onDestroy() {
    hideTooltip();
    if (root_ && LiveSet::contains(root_.get())) detach(*root_);
    if (g_destroyHook) g_destroyHook(*this);
    delete this;
}

// --- Message switch --------------------------------------------------------

LRESULT WindowImpl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return onCreate();
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) onSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        onPaint();
        return 0;
    case kDpiChangedMessage:
        onDpiChanged(wParam, reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_PRINTCLIENT:
        onPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        return 0;
    case kUpdateMessage:
        UpdateWindow(hwnd_);
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(wParam, unitsParam(lParam), true);
        return 0;
    case WM_RBUTTONDOWN:
        onButtonDown(wParam, unitsParam(lParam), false);
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(wParam, unitsParam(lParam), true);
        return 0;
    case WM_RBUTTONUP:
        onButtonUp(wParam, unitsParam(lParam), false);
        return 0;
    case WM_LBUTTONDBLCLK:
        onDoubleClick(wParam, unitsParam(lParam), true);
        return 0;
    case WM_RBUTTONDBLCLK:
        onDoubleClick(wParam, unitsParam(lParam), false);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(wParam, unitsParam(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        onMouseWheel(wParam, lParam);
        return 0;
    case WM_MOUSEHOVER:
        onMouseHover(wParam, unitsParam(lParam));
        return 0;
    case WM_MOUSELEAVE:
        onMouseLeave(wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        onCaptureChanged();
        return 0;
    case WM_SETCURSOR:
        return onSetCursor(wParam, lParam);
    case WM_SHOWWINDOW:
        if (wParam)
            sendMouseMoveAtCursor();
        else
            SendMessageW(hwnd_, WM_MOUSELEAVE, 0, 0);
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_SYSCOMMAND: {
        const WPARAM command = wParam & 0xFFF0;
        if (command == SC_MAXIMIZE || command == SC_RESTORE) postMouseMoveAtCursor();
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        onKey(message, wParam, lParam);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 during the dialog is its cancel control's press, whether or
        // not the system would make it a close request.
        if (wParam == VK_F4 && inModal_) {
            requestClose();
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_CHANGEUISTATE:
        // A top-level window applies the change to itself.
        SendMessageW(hwnd_, WM_UPDATEUISTATE, wParam, lParam);
        return 0;
    case WM_UPDATEUISTATE:
        return onUpdateUiState(wParam);
    case WM_QUERYUISTATE:
        return cuesShown_ ? 0 : UISF_HIDEFOCUS;
    case kFocusCheckMessage:
        onFocusCheck();
        return 0;
    case WM_GETOBJECT:
        return onGetObject(wParam, lParam);
    case WM_KILLFOCUS:
        onKillFocus();
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_ACTIVATE:
        onActivate(wParam);
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_NOTIFY:
        return onNotify(lParam);
    case WM_IME_STARTCOMPOSITION:
        onImeStartComposition();
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_CLOSE:
        // Sent as well as posted: only the dialog's own flow may end it,
        // through its cancel control.
        if (inModal_) {
            requestClose();
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_DESTROY:
        onDestroy();
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

} // namespace nelvo
