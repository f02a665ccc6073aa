#pragma once
// LinkLabel: a label that takes mouse input, shows the hand cursor and
// opens its `url` in the browser when pressed (on the press, not the
// release). Without `url` a press does nothing.

#include "dui/controls/Label.h"

namespace nelvo {

class LinkLabel : public Label {
public:
    LinkLabel();

private:
    static void onSetCursor(void* object, Control* sender, Event* e);
    static void onPress(void* object, Control* sender, Event* e);
};

} // namespace nelvo
