#include "dui/Timer.h"

#include <map>

namespace nelvo {
namespace {

std::map<UINT_PTR, Timer*>& timers() {
    static std::map<UINT_PTR, Timer*> map;
    return map;
}

} // namespace

Timer::~Timer() { stop(); }

bool Timer::start() {
    if (running_) return true;
    const UINT_PTR id = SetTimer(nullptr, 0, interval_, &Timer::timerProc);
    if (!id) return false;
    id_ = id;
    running_ = true;
    timers()[id] = this;
    tick();
    return true;
}

void Timer::stop() {
    if (!running_) return;
    running_ = false;
    KillTimer(nullptr, id_);
    auto it = timers().find(id_);
    if (it != timers().end() && it->second == this) timers().erase(it);
}

size_t Timer::runningCount() { return timers().size(); }

void CALLBACK Timer::timerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = timers().find(id);
    if (it == timers().end() || !it->second->running_) return;
    try {
        it->second->tick();
    } catch (...) {
        // Nothing crosses the system's timer dispatch.
    }
}

} // namespace nelvo
