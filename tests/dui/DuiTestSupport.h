#pragma once
// Shared pieces of the UI framework tests: a stand-in window that records
// what the tree asks of it, and a handler that logs deliveries.

#include "dui/Control.h"
#include "dui/ControlWindow.h"
#include "dui/Panel.h"

#include <string>
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
};

// A named handler object: every delivery appends "name" to the shared log,
// and the handler can be told to mark the event handled or to run an action.
struct Recorder {
    explicit Recorder(std::string n = {}, std::vector<std::string>* l = nullptr) : name(std::move(n)), log(l) {}

    std::string name;
    std::vector<std::string>* log = nullptr;
    bool markHandled = false;
    void (*action)(Recorder& self, Control* sender, Event* e) = nullptr;
    void* context = nullptr;
    std::vector<Control*> senders;

    static void handle(void* object, Control* sender, Event* e) {
        auto& r = *static_cast<Recorder*>(object);
        if (r.log) r.log->push_back(r.name);
        r.senders.push_back(sender);
        if (r.markHandled) e->handled = 1;
        if (r.action) r.action(r, sender, e);
    }
};

template <typename T>
T* make() {
    return new T();
}

} // namespace nelvo::test
