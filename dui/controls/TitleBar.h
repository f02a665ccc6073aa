#pragma once
// TitleBar: a strip drawn by its style that moves the window while the left
// button is held on it.

#include "dui/Control.h"

namespace nelvo {

class TitleBar : public Control {
public:
    TitleBar();

private:
    // LButtonDown: hands the drag to the system (move by the caption).
    void startMove(Event& e);
};

} // namespace nelvo
