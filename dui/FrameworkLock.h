#pragma once
// The framework lock: one process-wide critical section (spin count 100)
// taken around posting a task to the framework and around the teardown of
// the UiContext, so that a post from any thread either completes before the
// context goes or finds none. Recursive.

namespace nelvo {

class FrameworkLock {
public:
    static void lock();
    static void unlock();
};

class FrameworkLockGuard {
public:
    FrameworkLockGuard() { FrameworkLock::lock(); }
    ~FrameworkLockGuard() { FrameworkLock::unlock(); }
    FrameworkLockGuard(const FrameworkLockGuard&) = delete;
    FrameworkLockGuard& operator=(const FrameworkLockGuard&) = delete;
};

} // namespace nelvo
