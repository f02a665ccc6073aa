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

private:
    // LButtonUp: when pressed, posts Click if the release lies inside, and
    // marks the release handled either way.
    void clickTest(Event& e);
};

} // namespace nelvo
