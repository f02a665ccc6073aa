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

    Control* firstChild() const { return first_; }
    Control* lastChild() const { return last_; }
    int32_t childCount() const { return count_; }

    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Control* hitTest(int32_t x, int32_t y) override;
    std::u16string_view typeName() const override;

protected:
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
