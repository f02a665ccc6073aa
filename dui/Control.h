#pragma once
// Control: one element of the skinned user interface. A control has a
// property bag (Object), a place in the tree (parent and siblings; a Panel
// owns its children), the window it is attached to, its bounds relative to
// its parent, the desired size from the last measure, its event handlers and
// its state flags.
//
// Ownership: the tree owns every control. Destroy a control with destroy()
// (or ControlPtr); anything that may outlive a control names it by address
// and checks the LiveSet before use. UI thread only.

#include "dui/Accessibility.h"
#include "dui/DeviceContext.h"
#include "dui/Event.h"
#include "dui/Geometry.h"
#include "dui/HandlerMap.h"
#include "dui/Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class ControlWindow;
class Panel;

namespace ControlFlag {
enum : uint32_t {
    Enabled = 0x1,            // receives pointer input; styles draw normal states
    Visible = 0x2,            // painted and hit-tested
    Focused = 0x4,            // holds the window's keyboard focus (window only)
    Pressed = 0x8,            // holds the mouse capture after a left press (window only)
    Hovered = 0x10,           // on the chain from the control under the cursor to the root
    RepaintOnState = 0x20,    // invalidated by press, release, enter and leave
    CaptureOnPress = 0x40,    // a left press captures the mouse to it
    FocusOnPress = 0x80,      // a left press gives it the focus
    ClearFocusOnPress = 0x100,  // a left press on it clears the focus
    HitTransparent = 0x400,   // never returned by hit-testing
    WantsDoubleClick = 0x800,  // gets double-click events
    IsPanel = 0x2000,         // is a Panel (set by Panel's constructor only)
    Checked = 0x4000,         // checked state of toggles and list items
    SliderWheel = 0x8000,     // reserved for the slider
    ScriptBound = 0x40000,    // a script object stands for this control
    ListItem = 0x100000,      // an item of a list box (set by the list)
};
}

class Control : public Object {
public:
    Control();

    // Detaches the control if it is attached, unlinks it from its parent and
    // deletes it (a Panel with its whole subtree).
    void destroy();

    // --- Virtual operations, in slot order after the destructor ---

    // Paints into `dc`; `bounds` and `clip` are in window coordinates. The
    // default draws the style named by the `style` property, if any.
    virtual void paint(DeviceContext dc, const Rect& bounds, const Rect& clip);
    // (x, y) in the parent's coordinates. The default returns this control
    // when it is Visible, not HitTransparent and the point is inside.
    virtual Control* hitTest(int32_t x, int32_t y);
    // The binding type name scripts see: "Control" by default.
    virtual std::u16string_view typeName() const;
    // Content size for the available size; (0, 0) by default.
    virtual Size measureOverride(int32_t availableWidth, int32_t availableHeight);
    // Places the content in the final size; returns the size used
    // (the arguments by default).
    virtual Size arrangeOverride(int32_t finalWidth, int32_t finalHeight);
    // Called on the window's focus control once an arrange has stored every
    // bound it changed (the outermost arrange is returning), so that window
    // coordinates are final; the text controls place their caret here.
    // Nothing by default.
    virtual void layoutSettled();

    // --- Keyboard and accessibility ---

    // Whether the control can hold the keyboard focus (Tab reaches it when
    // it is shown and enabled). False by default.
    virtual bool focusable() const;
    // The role an accessibility client is told; None (the default) keeps
    // the control out of the accessible tree.
    virtual access::Role accessibleRole() const;
    // The `accessibleName` attribute, else the text, else the tooltip.
    virtual std::u16string accessibleName() const;
    // The value (a text box's text, a bar's percentage); empty by default.
    virtual std::u16string accessibleValue() const;
    // The control's own state bits (access::State): checked, selected,
    // read-only, default. The window adds focus, availability and
    // visibility.
    virtual uint32_t accessibleState() const;
    // The name of the default action, empty for none.
    virtual std::u16string defaultActionName() const;
    // Does what a click or Space does: presses a button, toggles a box,
    // selects an item. False when the control has no such action.
    virtual bool doDefaultAction();
    // The default action of `child`, an item this control holds (a list
    // box's item). False by default.
    virtual bool childAction(Control& child);
    // Appends the children that are drawn now, in drawing order: a panel's
    // visible children, a tab control's headers and its selected page.
    // None by default.
    virtual void shownChildren(std::vector<Control*>& out) const;

    // --- Tree ---
    Control* parent() const { return parent_; }
    Control* previousSibling() const { return previous_; }
    Control* nextSibling() const { return next_; }
    ControlWindow* window() const { return window_; }
    bool attached() const;
    // This control as a Panel, or null.
    Panel* asPanel();
    const Panel* asPanel() const;

    // --- Geometry ---
    const Rect& bounds() const { return bounds_; }
    void setBounds(const Rect& r) { bounds_ = r; }
    Size desiredSize() const { return desired_; }

    // Layout steps common to all controls (Layout.cpp). `measure` stores and
    // returns the desired size, margins included; `arrange` stores the
    // bounds from a slot in the parent's coordinates.
    Size measure(int32_t availableWidth, int32_t availableHeight);
    void arrange(const Rect& slot);

    // --- State flags ---
    uint32_t flags() const { return flags_; }
    bool hasFlag(uint32_t f) const { return (flags_ & f) != 0; }
    // Sets or clears bits; IsPanel cannot be changed.
    void setFlag(uint32_t f, bool on);
    bool enabled() const { return hasFlag(ControlFlag::Enabled); }
    bool visible() const { return hasFlag(ControlFlag::Visible); }
    bool checked() const { return hasFlag(ControlFlag::Checked); }

    // The text property "text" (empty when absent).
    std::u16string text() const;

    // --- Events ---

    // Appends a delegate for `code`. Returns a null reference, registering
    // nothing, when the delegate pool is exhausted: callers must check.
    [[nodiscard]] DelegateRef addHandler(int32_t code, void* object, EventHandler handler);
    // Clears and unlinks the delegate registered with this object and
    // function; nothing when there is none. Safe during a delivery.
    void removeHandler(int32_t code, void* object, EventHandler handler);
    const HandlerMap& handlers() const { return handlers_; }

    // Synchronous routed delivery (Tunnel, Bubble or Direct). Returns the
    // record's `handled` field afterwards; 0, delivering nothing, when the
    // control is not attached. Handlers may remove handlers or destroy
    // controls (this one included) while it runs.
    int32_t raiseEvent(Event& event);
    // Queued delivery through the framework's dispatcher: the record is
    // copied and delivered later on the UI thread, to this control only if
    // it is then still in the attachment it had when posting. Does nothing
    // when the framework is not running. Any thread.
    void postEvent(const Event& event);

    // Repaint request for the visible part of the bounds: immediate (sent)
    // or deferred (posted). Returns 0 when not attached or nothing of it is
    // inside the client area, 1 otherwise.
    int invalidate(bool immediate);
    // The bounds in window client coordinates; false when not attached.
    bool windowRect(Rect& out) const;
    // The cursor relative to this control's top-left corner; false when not
    // attached or the window cannot tell.
    bool cursorPosition(Point& out) const;
    // Changes Checked; on a change raises ValueChange (Direct) and
    // invalidates (deferred).
    void setChecked(bool checked);

    // What a client is told and what its default action does, an item's
    // part included: an item of a list box is a list item whatever its own
    // kind, selectable, and its action selects it in its list.
    access::Role clientRole() const;
    uint32_t clientState() const;
    std::u16string clientActionName() const;
    bool clientAction();

    // Tells the window that the name, value or state an accessibility client
    // sees has changed. Nothing when not attached.
    void accessibleChanged(access::Change change);

    // Called while a ScriptBound control is destroyed, so the script bridge
    // drops its entry. Installed by the script bridge; may be null.
    using ScriptReleaseHook = void (*)(Control* control);
    static void setScriptReleaseHook(ScriptReleaseHook hook);

protected:
    // Clears every handler first (so deliveries in progress skip them), then
    // releases the script object and the properties.
    ~Control() override;

private:
    friend class Panel;
    friend void attach(ControlWindow& window, Control& control);

    // The work of arrange(): margins, explicit sizes, alignment, bounds.
    void arrangeInSlot(const Rect& slot);
    friend void detach(Control& control);

    Control* parent_ = nullptr;
    Control* previous_ = nullptr;
    Control* next_ = nullptr;
    ControlWindow* window_ = nullptr;
    Rect bounds_;
    Size desired_;
    HandlerMap handlers_;
    uint32_t flags_ = ControlFlag::Enabled | ControlFlag::Visible;
};

// Joins `control` and its subtree to `window`, pre-order: LiveSet, window
// pointer, IdMap entry for an `id` property, Attached (Direct), children.
void attach(ControlWindow& window, Control& control);
// Takes `control` and its subtree out of their window, post-order: children,
// Detached (Direct), the window forgets it, IdMap entry (if it names the
// control), window pointer, LiveSet. Nothing if it is not attached.
void detach(Control& control);

struct ControlDeleter {
    void operator()(Control* c) const { c->destroy(); }
};
using ControlPtr = std::unique_ptr<Control, ControlDeleter>;

} // namespace nelvo
