#pragma once
// What a control tree needs from the window that owns it. The native window
// (WindowImpl) implements it; tests use a stand-in. All calls on the UI
// thread. Every rectangle and point here is in layout units (a 96-DPI
// screen's pixels), whatever the DPI the window is shown at.
//
// The services below the first group have do-nothing defaults so that a
// stand-in window needs to provide only what a test looks at.

#include "dui/Accessibility.h"
#include "dui/DpiScale.h"
#include "dui/Geometry.h"
#include "dui/IdMap.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nelvo {

class Control;

#ifdef _WIN32
using NativeWindow = HWND;
#else
struct OpaqueNativeWindow;
using NativeWindow = OpaqueNativeWindow*;
#endif

class ControlWindow {
public:
    IdMap& idMap() { return idMap_; }
    const IdMap& idMap() const { return idMap_; }
    Control* childById(int32_t id) const { return idMap_.find(id); }

    // Drops capture, focus, remembered focus and hover held by `control` or
    // a control inside its subtree; called while the control leaves.
    virtual void forget(Control& control) = 0;
    // The client area, (0, 0, width, height); false when there is none.
    virtual bool clientRect(Rect& out) const = 0;
    // Adds a rectangle (client coordinates) to the window's invalid region.
    virtual void invalidateRect(const Rect& rect) = 0;
    // Asks the window to update its invalid region: at once (sent) or once
    // the message queue gets to it (posted).
    virtual void requestUpdate(bool immediate) = 0;
    // The cursor in client coordinates; false when it cannot be read.
    virtual bool cursorPosition(Point& out) const = 0;

    // --- Services for controls ---

    // The native window; null for a stand-in. Controls use it for the
    // clipboard, for window commands (moving by the title bar) and as the
    // owner of whatever they open.
    virtual NativeWindow nativeHandle() const { return nullptr; }
    // The root of the window's control tree, or null.
    virtual Control* root() const { return nullptr; }
    // The scale between the layout units every rectangle above is in and
    // the window's device pixels (the DPI of its monitor).
    virtual DpiScale dpiScale() const { return {}; }
    // The content moved under a still pointer: the hover follows as if the
    // pointer had moved.
    virtual void pointerMovedUnder() {}

    // Keyboard focus: `control` (or none) becomes the focus control. Raises
    // LostFocus on the old and GotFocus on the new one (both Direct) and
    // sets their Focused bits; nothing when it already is the focus or is
    // not attached to this window.
    virtual void setFocus(Control* control) { (void)control; }
    virtual Control* focusControl() const { return nullptr; }
    // The control that holds the mouse capture after a left press, or null.
    virtual Control* captureControl() const { return nullptr; }
    // Ends the capture (LostCapture follows, Pressed is cleared).
    virtual void releaseCapture() {}

    // The caret: one caret per window, drawn by the window over the
    // controls while it is visible, blinking with the system blink time.
    // Set the size first (text controls use width 1 and the line height);
    // showCaret places it (window client coordinates) and starts blinking;
    // hideCaret hides it and cancels any input-method composition.
    virtual void setCaretSize(int32_t width, int32_t height) { (void)width, (void)height; }
    virtual void showCaret(int32_t x, int32_t y) { (void)x, (void)y; }
    virtual void hideCaret() {}

    // Keyboard cues and accessibility. A control's Enabled, Visible or
    // Checked bits changed (`changed` holds those that did).
    virtual void flagsChanged(Control& control, uint32_t changed) { (void)control, (void)changed; }
    // The name, value or state a client sees of `control` changed.
    virtual void accessibleChange(Control& control, access::Change change) { (void)control, (void)change; }
    // Whether focus is shown: only once the keyboard has been used in the
    // window (or the system asks for keyboard cues always), as in the
    // system's dialogs. Skins that draw focus ask this.
    virtual bool focusCuesShown() const { return false; }

protected:
    ControlWindow() = default;
    ~ControlWindow() = default;
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

private:
    IdMap idMap_;
};

} // namespace nelvo
