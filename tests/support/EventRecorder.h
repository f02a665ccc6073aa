#pragma once
// The tests' event recorder: a handler object that counts and logs the
// deliveries it gets, and can mark them handled or run an action. EventLog
// watches several controls and codes at once and keeps "<name>:<code>"
// lines in delivery order.

#include "dui/Control.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace nelvo::test {

struct EventRecorder {
    explicit EventRecorder(std::string n = {}, std::vector<std::string>* l = nullptr) : name(std::move(n)), log(l) {}

    std::string name;
    std::vector<std::string>* log = nullptr;  // every delivery appends `name`
    bool markHandled = false;
    void (*action)(EventRecorder& self, Control* sender, Event* e) = nullptr;
    void* context = nullptr;  // for the action
    int count = 0;
    std::vector<Control*> senders;
    uint32_t lastFlags = 0;  // the sender's flags at the last delivery

    static void handle(void* object, Control* sender, Event* e) {
        auto& r = *static_cast<EventRecorder*>(object);
        ++r.count;
        if (r.log) r.log->push_back(r.name);
        r.senders.push_back(sender);
        if (sender) r.lastFlags = sender->flags();
        if (r.markHandled) e->handled = 1;
        if (r.action) r.action(r, sender, e);
    }
    // Registers for `code` on `c`; an exhausted delegate pool fails the test.
    void attach(Control& c, int32_t code) { EXPECT_TRUE(c.addHandler(code, this, &EventRecorder::handle)); }
};

class EventLog {
public:
    void watch(Control* c, const std::string& name, std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) {
            recorders_.push_back(std::make_unique<EventRecorder>(name + ":" + std::to_string(code), &lines));
            recorders_.back()->attach(*c, code);
        }
    }
    std::vector<std::string> lines;
    std::string joined() const {
        std::string s;
        for (const auto& l : lines) s += (s.empty() ? "" : " ") + l;
        return s;
    }
    void clear() { lines.clear(); }

private:
    std::vector<std::unique_ptr<EventRecorder>> recorders_;
};

} // namespace nelvo::test
