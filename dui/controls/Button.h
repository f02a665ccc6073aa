#pragma once
// Button: a push button drawn by its style. A left press captures the mouse
// (the window host sets Pressed); the release runs the click test, which
// posts Click when the release lies inside the button. Buttons never take
// the focus and handle no keys.

#include "dui/Control.h"

namespace nelvo {

class Button : public Control {
public:
    Button();
    std::u16string_view typeName() const override { return u"Button"; }

    // The client position packed into a mouse event's second parameter.
    static Point eventPoint(const Event& e);

private:
    // LButtonUp: when pressed, posts Click if the release lies inside, and
    // marks the release handled either way.
    static void clickTest(void* object, Control* sender, Event* e);
};

} // namespace nelvo
