#pragma once
// The main-thread dispatcher: the one way another thread gets work done on the
// main thread, and the reaper that closes the handles of finished threads.
//
// A WH_GETMESSAGE hook on the main thread runs one queued task for each
// thread message WM_NULL that a message retrieval removes, so tasks run in
// every loop of that thread: the wizard's modal loop, message boxes, window
// move and size loops.
//
// Locks: the dispatcher lock (running flag, reaper list, reaper thread) is
// always taken before the queue lock (task queue); nothing takes them in the
// other order. Both are critical sections made before the process entry runs.

#include "host/IRunable.h"

#include <windows.h>

#include <memory>

namespace nelvo {

class MainThreadDispatcher {
public:
    // Main thread. Hooks this thread's message retrieval. False when the
    // dispatcher already runs or its stop event or hook cannot be made
    // (nothing is left running then).
    static bool start();

    // Main thread. Unhooks, drops the queued tasks without running them, and
    // blocks until the reaper has ended, that is until every tracked thread
    // has ended. Nothing when the dispatcher does not run.
    static void stop();

    // Any thread. Queues the task for the main thread. False when the
    // dispatcher does not run: the task is then not queued, and only the
    // caller's references keep it.
    static bool post(std::shared_ptr<QXService::IRunable> task);

    // Any thread. Takes over a thread handle: the reaper closes it once the
    // thread has ended, and stop() waits for that. When the dispatcher does
    // not run, nobody would wait for the thread; the handle is closed at once
    // and the result is false.
    static bool trackHandle(HANDLE thread);

    // Any thread. True between start() and stop().
    static bool running();
};

// Start and stop bound to a scope.
class MainThreadDispatcherScope {
public:
    MainThreadDispatcherScope() : started_(MainThreadDispatcher::start()) {}
    ~MainThreadDispatcherScope() {
        if (started_) MainThreadDispatcher::stop();
    }
    MainThreadDispatcherScope(const MainThreadDispatcherScope&) = delete;
    MainThreadDispatcherScope& operator=(const MainThreadDispatcherScope&) = delete;
    bool started() const { return started_; }

private:
    bool started_;
};

} // namespace nelvo
