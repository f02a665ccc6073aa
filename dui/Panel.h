#pragma once
// Panel: a control with an ordered list of child controls, which it owns.
// Children paint in order (the last on top) and are hit-tested in reverse.

#include "dui/Control.h"

namespace nelvo {

class Panel : public Control {
public:
    Panel();

    // Appends `child` (which must have no parent) after the last child and
    // takes ownership of it; if this panel is attached, the child's subtree
    // joins the same window.
    void addChild(Control* child);
    void addChild(ControlPtr child) { addChild(child.release()); }

    // Makes this panel the parent of `control` without making it a child:
    // it stays out of the child list, so the panel neither paints, hit-tests,
    // attaches nor destroys it, but its window coordinates and bubbling
    // events go through this panel (a tab page, owned by its tab item).
    void parentWithoutOwning(Control& control) { control.parent_ = this; }

    Control* firstChild() const { return first_; }
    Control* lastChild() const { return last_; }
    int32_t childCount() const { return count_; }

    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Control* hitTest(int32_t x, int32_t y) override;
    std::u16string_view typeName() const override;
    void shownChildren(std::vector<Control*>& out) const override;

protected:
    // Paints `child` as a child of a panel painted at `panelBounds` (window
    // coordinates): its bounds offset by the panel's origin, clipped to
    // `clip` and to its own bounds; nothing when that is empty.
    static void paintChild(DeviceContext dc, Control& child, const Rect& panelBounds, const Rect& clip);

    // Destroys the children, last to first.
    ~Panel() override;

private:
    friend class Control;
    void unlinkChild(Control* child);

    Control* first_ = nullptr;
    Control* last_ = nullptr;
    int32_t count_ = 0;
};

} // namespace nelvo
