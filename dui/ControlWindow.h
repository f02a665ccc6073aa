#pragma once
// What a control tree needs from the window that owns it. The native window
// (WindowImpl) implements it; tests use a stand-in. All calls on the UI
// thread.

#include "dui/Geometry.h"
#include "dui/IdMap.h"

namespace nelvo {

class Control;

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

protected:
    ControlWindow() = default;
    ~ControlWindow() = default;
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

private:
    IdMap idMap_;
};

} // namespace nelvo
