#pragma once
// A task that another thread hands to the main thread: run once there, by the
// main-thread dispatcher, and held by shared ownership (the queue and the
// poster each hold a reference).

namespace nelvo::QXService {

class IRunable {
public:
    virtual ~IRunable() = default;
    // Main thread. Must not throw: the dispatcher calls it inside a message
    // hook.
    virtual void run() = 0;
};

} // namespace nelvo::QXService
