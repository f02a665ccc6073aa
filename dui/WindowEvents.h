#pragma once
// What the window's input files (WindowInput.cpp, WindowKeyboard.cpp) share:
// a control is touched only while it lives, and an event raised on one that
// has gone answers 0. Main thread.

#include "dui/Control.h"
#include "dui/Event.h"
#include "dui/LiveSet.h"

#include <windows.h>

namespace nelvo::windowevents {

inline bool live(const Control* c) { return c && LiveSet::contains(c); }

inline int32_t raise(Control* c, int32_t code, Routing routing, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (!live(c)) return 0;
    Event e = makeEvent(code, routing, static_cast<intptr_t>(wParam), static_cast<intptr_t>(lParam));
    return c->raiseEvent(e);
}

} // namespace nelvo::windowevents
