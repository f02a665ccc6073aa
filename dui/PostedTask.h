#pragma once
// The heap record of one queued delivery: {owner, task function, target,
// event copy}, plus the attachment serial the target had when posting.
// Whoever dispatches tasks calls PostedTask::run exactly once per record;
// run frees it.

#include "dui/Event.h"

#include <cstdint>

namespace nelvo {

class Control;

struct PostedTask {
    void* owner = nullptr;
    void (*function)(PostedTask* task) = nullptr;
    Control* target = nullptr;
    uint32_t attachment = 0;
    Event event;

    // Runs the task function and frees the record.
    static void run(PostedTask* task);
    // Frees the record without running it.
    static void discard(PostedTask* task) { delete task; }

    // The task function of Control::postEvent: clears `handled` and raises
    // the event on the target if the target is still in the same attachment.
    static void deliverEvent(PostedTask* task);
};

// Where posted tasks go. The window host supplies one that posts message
// 1025 to the hidden dispatcher window; without one the UiContext queues
// tasks until runPostedTasks() is called.
class PostedTaskSink {
public:
    // Hands the task over; false if it could not be queued (the caller then
    // discards it). Called under the framework lock, from any thread.
    virtual bool post(PostedTask* task) = 0;

protected:
    ~PostedTaskSink() = default;
};

} // namespace nelvo
