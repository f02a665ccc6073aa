#pragma once
// ScrollTimer: the auto-repeat of a scroll bar's arrows and track. Every
// 100 ms (and once at once when started) it asks its bar for one step.
// Windows build only; UI thread.

#include "dui/Timer.h"

namespace nelvo {

class ScrollBar;

class ScrollTimer final : public Timer {
public:
    static constexpr uint32_t kIntervalMs = 100;

    explicit ScrollTimer(ScrollBar& owner) : Timer(kIntervalMs), owner_(owner) {}
    void tick() override;

private:
    ScrollBar& owner_;
};

} // namespace nelvo
