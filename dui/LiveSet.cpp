#include "dui/LiveSet.h"

#include "dui/FrameworkLock.h"

#include <unordered_map>

namespace nelvo {
namespace {

struct State {
    std::unordered_map<const Control*, uint32_t> serials;
    uint32_t next = 0;
};

State& state() {
    static State* s = new State;
    return *s;
}

} // namespace

// Under the framework lock because postEvent, which may run on any thread,
// reads the target's serial.

uint32_t LiveSet::insert(const Control* c) {
    FrameworkLockGuard lock;
    State& s = state();
    if (++s.next == 0) ++s.next;
    s.serials[c] = s.next;
    return s.next;
}

void LiveSet::erase(const Control* c) {
    FrameworkLockGuard lock;
    state().serials.erase(c);
}

uint32_t LiveSet::serial(const Control* c) {
    FrameworkLockGuard lock;
    const State& s = state();
    auto it = s.serials.find(c);
    return it == s.serials.end() ? 0 : it->second;
}

size_t LiveSet::size() {
    FrameworkLockGuard lock;
    return state().serials.size();
}

} // namespace nelvo
