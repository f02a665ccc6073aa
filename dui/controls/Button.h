#pragma once
// Button: a push button drawn by its style. A left press captures the mouse
// (the window host sets Pressed); the release runs the click test, which
// posts Click when the release lies inside the button. A press with the
// mouse takes the focus from any control; the keyboard gives a button the
// focus (Tab), and Space presses the focused button, posting Click as a
// click does.

#include "dui/Control.h"

namespace nelvo {

class Button : public Control {
public:
    Button();
    std::u16string_view typeName() const override { return u"Button"; }

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::PushButton; }
    std::u16string defaultActionName() const override { return u"按下"; }
    // Posts Click, as a click does.
    bool doDefaultAction() override;

private:
    // LButtonUp: when pressed, posts Click if the release lies inside, and
    // marks the release handled either way.
    void clickTest(Event& e);
    // KeyDown: Space presses the button (held down, it presses once).
    void onKeyDown(Event& e);
};

} // namespace nelvo
