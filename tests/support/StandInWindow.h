#pragma once
// A stand-in for a control's window that records what the tree asks of it,
// and a walk that exercises every window-related query of a tree in it.
// Needs no operating system.

#include "dui/Control.h"
#include "dui/ControlWindow.h"
#include "dui/Panel.h"

#include <climits>
#include <vector>

namespace nelvo::test {

class TestWindow final : public ControlWindow {
public:
    std::vector<Control*> forgotten;
    std::vector<Rect> invalidated;
    int immediateUpdates = 0;
    int deferredUpdates = 0;
    Rect client{0, 0, 504, 366};
    Point cursor;
    NativeWindow native = nullptr;  // what the tree sees as the native window

    void forget(Control& c) override { forgotten.push_back(&c); }
    bool clientRect(Rect& out) const override {
        out = client;
        return true;
    }
    void invalidateRect(const Rect& r) override { invalidated.push_back(r); }
    void requestUpdate(bool immediate) override { ++(immediate ? immediateUpdates : deferredUpdates); }
    bool cursorPosition(Point& out) const override {
        out = cursor;
        return true;
    }
    NativeWindow nativeHandle() const override { return native; }
};

// Attaches `root` to a stand-in window, lays it out at 504 x 366, and asks
// every control for its window rectangle, invalidates it and hit-tests the
// tree at ordinary and extreme points, then detaches it. False when a
// window rectangle is missing or its width differs from the bounds' width
// (moving a rectangle keeps its width, wrapped or not).
inline bool exerciseTree(Control& root) {
    TestWindow window;
    attach(window, root);
    root.measure(504, 366);
    root.arrange({0, 0, 504, 366});
    bool sound = true;
    std::vector<Control*> todo{&root};
    while (!todo.empty()) {
        Control* c = todo.back();
        todo.pop_back();
        Rect r;
        sound = sound && c->windowRect(r) && r.width() == c->bounds().width();
        c->invalidate(false);
        if (Panel* p = c->asPanel())
            for (Control* k = p->firstChild(); k; k = k->nextSibling()) todo.push_back(k);
    }
    for (int32_t x : {0, 100, 503, INT32_MIN, INT32_MAX}) root.hitTest(x, x);
    detach(root);
    return sound;
}

} // namespace nelvo::test
