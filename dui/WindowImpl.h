#pragma once
// WindowImpl: the skinned top-level window that owns a control tree built
// from markup. It sizes itself from the root (`initSize`, or the measured
// size), cuts round corners (`roundCorner`), paints through a 32-bit back
// buffer with the font "Default" selected, turns mouse and keyboard messages
// into routed events with the focus, capture and hover rules, shows
// tooltips, draws a blinking caret for text controls, places the
// input-method window at the caret, and runs the modal loop.
//
// The keyboard works as in the system's dialogs: Tab and Shift+Tab move the
// focus through the drawn, enabled, focusable controls (FocusOrder.h),
// Enter presses the focused push button or else the control marked
// `isDefault`, Escape and a close request during the modal loop (Alt+F4)
// press the control marked `isCancel`. A key without a focus control first
// gives the focus to the first control. The focus is shown (a dotted frame,
// or the skin) only once the keyboard has been used, so a mouse user sees
// the window unchanged. The window answers WM_GETOBJECT with an accessible
// object whose children are the drawn controls that have a role
// (WindowAccessible), raises the matching win events and keeps a hidden
// system caret where the text controls draw theirs.
//
// Lifetime: the object lives from create() until WM_DESTROY, when it
// deletes itself together with its control tree. runModal() destroys the
// window it ran. A window with messages of its own (a combo box's popup)
// derives from it and is made with createNative(). Windows build only; UI
// thread.

#include "base/UniqueHandle.h"
#include "dui/Control.h"
#include "dui/ControlWindow.h"
#include "dui/Timer.h"
#include "dui/WindowBase.h"

#include <commctrl.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class WindowImpl : public WindowBase, public ControlWindow {
public:
    static constexpr wchar_t kClassName[] = L"WINDOW:234:000";
    static constexpr UINT kUpdateMessage = WM_USER + 1;  // 1025: UpdateWindow
    // Posted when the drawn controls changed: the focus leaves a control
    // that is no longer drawn, and clients hear of the new page.
    static constexpr UINT kFocusCheckMessage = WM_USER + 2;
    static constexpr size_t kHoverChainLength = 32;
    // WM_DPICHANGED: the window moved to a monitor of another DPI.
    static constexpr UINT kDpiChangedMessage = 0x02E0;
    static constexpr COLORREF kCaretColour = RGB(90, 90, 90);

    // Builds the root from the layout member and creates the (hidden)
    // native window. Null, with the reason in `error`, when the member does
    // not load or the window cannot be created.
    static WindowImpl* create(std::u16string_view member, DWORD style = WS_POPUP, DWORD exStyle = 0,
                              std::string* error = nullptr);
    // The same over a tree in hand.
    static WindowImpl* create(ControlPtr root, DWORD style = WS_POPUP, DWORD exStyle = 0,
                              std::string* error = nullptr);

    // The window of a handle, or null.
    static WindowImpl* fromHandle(HWND hwnd);

    // Called on WM_DESTROY after the tree has left the window, before the
    // object goes, so the script bridge can forget the window. May be null.
    using DestroyHook = void (*)(WindowImpl& window);
    static void setDestroyHook(DestroyHook hook);

    // --- Modal loop ---

    // Disables `owner` (restoring it if minimised), shows this window and
    // dispatches messages until endModal() with a non-zero code or WM_QUIT
    // (posted again afterwards); then re-enables and activates the owner,
    // hides and destroys this window and returns the code (0 when WM_QUIT
    // came before one).
    // WM_CLOSE, posted or sent, does not close the window meanwhile.
    // The object is gone when this returns.
    int runModal(HWND owner);
    // Stores the code and wakes the loop. 0 does not end it.
    void endModal(int32_t code);

    // Measures and arranges the root as at creation and resizes the window
    // to that size (in device pixels) without moving it.
    void updateLayout();

    // --- Scale ---
    //
    // Layout, controls and every rectangle of ControlWindow are in units of
    // a 96-DPI screen; the window is sized, painted and hit in device pixels
    // at the DPI of its monitor (dpiScale()). At 96 DPI the two are the same
    // and nothing is converted.

    // The DPI every window made from now on takes instead of its monitor's;
    // 0 (the default) asks the system. For tests that show windows at other
    // scales in one process.
    static void setDpiOverride(int32_t dpi);
    // The DPI the system gives a new window: its monitor's when the system
    // knows per-monitor DPI, else the screen's (or the override).
    static int32_t systemDpi(HWND hwnd);
    DpiScale dpiScale() const override { return scale_; }
    // Takes `dpi` as the window's scale: the layout is measured again, the
    // back buffer, the corners and the caret follow, and everything is
    // repainted. The window's size is left to the caller.
    void setDpi(int32_t dpi);
    void pointerMovedUnder() override;

    // --- ControlWindow ---
    void forget(Control& control) override;
    bool clientRect(Rect& out) const override;
    void invalidateRect(const Rect& rect) override;
    void requestUpdate(bool immediate) override;
    bool cursorPosition(Point& out) const override;
    NativeWindow nativeHandle() const override { return hwnd_; }
    Control* root() const override { return root_.get(); }
    void setFocus(Control* control) override;
    Control* focusControl() const override { return focus_; }
    Control* captureControl() const override { return capture_; }
    void releaseCapture() override;
    void setCaretSize(int32_t width, int32_t height) override;
    void showCaret(int32_t x, int32_t y) override;
    void hideCaret() override;
    void flagsChanged(Control& control, uint32_t changed) override;
    void accessibleChange(Control& control, access::Change change) override;
    bool focusCuesShown() const override { return cuesShown_; }

    // --- Keyboard and accessibility ---

    // The controls an accessibility client sees as the window's children:
    // the drawn controls with a role, in drawing order. A child's id is its
    // place in this list, from 1.
    std::vector<Control*> accessibleChildren() const;
    // The child id of `control`, or 0 (the window itself) when it has none.
    long accessibleId(const Control* control) const;
    // Presses the control marked `isCancel` when it is drawn and enabled,
    // as Escape does; false when there is none.
    bool requestClose();

    // --- State, for the script bridge and tests ---
    Control* hoverTarget() const { return hover_; }
    Control* rememberedFocus() const { return rememberedFocus_; }
    bool caretVisible() const { return caretVisible_; }
    Rect caretRect() const { return {caretX_, caretY_, caretX_ + caretWidth_, caretY_ + caretHeight_}; }
    bool caretBlinking() const { return caretTimer_.running(); }
    bool tooltipVisible() const { return tooltipVisible_; }
    const std::u16string& tooltipText() const { return tooltipText_; }
    // Made with the first tooltip shown; null before.
    HWND tooltipWindow() const { return tooltip_.get(); }
    // The screen position a tooltip of `length` characters is shown at for
    // a cursor at `cursor` on a screen `screenWidth` wide.
    // The estimate's pixels scale with `scale`.
    static Point tooltipPosition(Point cursor, size_t length, int32_t screenWidth, DpiScale scale = {});

    // Paints the tree into `dc` as WM_PRINTCLIENT does (font "Default",
    // transparent background, clip = client area, no caret), in device
    // pixels at the window's scale.
    void paintInto(HDC dc);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    explicit WindowImpl(ControlPtr root);
    ~WindowImpl() override;

    // Creates the native window of `window` (a new object of this class or
    // a derived one, which the caller hands over). False, with the reason
    // in `error`, when it cannot be made: the object is then gone.
    static bool createNative(WindowImpl* window, DWORD style, DWORD exStyle, std::string* error);

private:
    friend class WindowCreationHook;
    void bindHandle(HWND hwnd);

    class WindowTimer final : public Timer {
    public:
        explicit WindowTimer(WindowImpl& owner) : owner_(owner) {}
        void tick() override;

    private:
        WindowImpl& owner_;
    };

    // Message handlers (WindowImpl.cpp and WindowInput.cpp).
    LRESULT onCreate();
    void onSize(int32_t width, int32_t height);
    void onDpiChanged(WPARAM wParam, const RECT* suggested);
    void onPaint();
    void onPrintClient(HDC dc, LPARAM flags);
    void onButtonDown(WPARAM wParam, LPARAM lParam, bool left);
    void onButtonUp(WPARAM wParam, LPARAM lParam, bool left);
    void onDoubleClick(WPARAM wParam, LPARAM lParam, bool left);
    void onMouseMove(WPARAM wParam, LPARAM lParam);
    void onMouseWheel(WPARAM wParam, LPARAM lParam);
    void onMouseHover(WPARAM wParam, LPARAM lParam);
    void onMouseLeave(WPARAM wParam, LPARAM lParam);
    void onCaptureChanged();
    LRESULT onSetCursor(WPARAM wParam, LPARAM lParam);
    bool onKey(UINT message, WPARAM wParam, LPARAM lParam);
    void onKillFocus();
    void onActivate(WPARAM wParam);
    LRESULT onNotify(LPARAM lParam);
    void onImeStartComposition();
    void onDestroy();
    // Tab, Enter and Escape that the focused control left unhandled.
    void dialogKey(WPARAM key);
    // The keyboard was used: focus cues from now on.
    void showFocusCues();
    void setFocusCues(bool shown);
    LRESULT onUpdateUiState(WPARAM wParam);
    void postFocusCheck();
    void onFocusCheck();
    void invalidateFocusCue(Control* control);
    void paintFocusCue(HDC dc);
    void notifyEvent(DWORD event, const Control* control);
    LRESULT onGetObject(WPARAM wParam, LPARAM lParam);

    void releaseBackBuffer();
    Size layoutSize();
    void layoutRoot(int32_t width, int32_t height);
    void applyRoundCorner(int32_t width, int32_t height);
    // The layout size for a client area of `width` x `height` device
    // pixels: the root's own size when it fills exactly that, else the
    // units that cover it.
    Size unitsOfClient(int32_t width, int32_t height) const;
    // Sets the window's scale on `dc` (nothing at 96 DPI); the caller
    // saved the context's state.
    void applyScale(HDC dc) const;
    // A mouse message's client position (device pixels) in layout units.
    LPARAM unitsParam(LPARAM lParam) const;
    bool cursorDevicePosition(POINT& out) const;
    bool ensureBackBuffer(int32_t width, int32_t height);
    void paintTree(HDC dc, const Rect& clip, bool withCaret);
    Control* hit(int32_t x, int32_t y) const;
    void updateHover(Control* target, WPARAM wParam, LPARAM lParam);
    void clearCapture();
    void armTracking();
    // The tooltip window with its one tool, made once; false when it
    // cannot be made.
    bool createTooltip();
    void showTooltip(const std::u16string& text);
    void hideTooltip();
    void invalidateCaret();
    void postMouseMoveAtCursor();
    void sendMouseMoveAtCursor();

    ControlPtr root_;
    DpiScale scale_;
    Control* capture_ = nullptr;
    Control* focus_ = nullptr;
    Control* rememberedFocus_ = nullptr;
    Control* hover_ = nullptr;
    std::array<Control*, kHoverChainLength> chain_{};
    size_t chainLength_ = 0;

    UniqueDc backDc_;
    UniqueBitmap backBitmap_;
    HGDIOBJ backOldBitmap_ = nullptr;
    int32_t backWidth_ = 0;
    int32_t backHeight_ = 0;

    UniqueWindow tooltip_;
    TTTOOLINFOW toolInfo_{};
    std::u16string tooltipText_;
    bool tooltipVisible_ = false;

    bool tracking_ = false;
    bool hasRegion_ = false;  // the region itself belongs to the system

    int32_t caretX_ = 0;
    int32_t caretY_ = 0;
    int32_t caretWidth_ = 1;
    int32_t caretHeight_ = 0;
    bool caretVisible_ = false;
    bool inModal_ = false;  // runModal() runs: WM_CLOSE is dropped
    bool cuesShown_ = false;
    bool focusCheckPosted_ = false;
    bool systemCaret_ = false;  // a hidden system caret exists
    WindowTimer caretTimer_;
};

} // namespace nelvo
