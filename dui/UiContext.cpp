#include "dui/UiContext.h"

#include "dui/FrameworkLock.h"
#include "dui/RouteBuffer.h"

#include <cassert>

namespace nelvo {
namespace {

UiContext* g_current = nullptr;  // written under the framework lock

} // namespace

UiContext::UiContext() {
    factory_.registerDefaults();
    setters_.registerDefaults();
    FrameworkLockGuard lock;
    assert(!g_current && "only one UiContext at a time");
    g_current = this;
}

UiContext::~UiContext() {
    std::deque<PostedTask*> left;
    {
        FrameworkLockGuard lock;
        if (g_current == this) g_current = nullptr;
        left.swap(queue_);
    }
    // No control can be live once the windows are gone, so these would be
    // dropped anyway.
    for (PostedTask* t : left) PostedTask::discard(t);
    appHandlers_.clearAll();
}

UiContext* UiContext::current() { return g_current; }

DelegateRef UiContext::addAppHandler(int32_t code, void* object, EventHandler handler) {
    return appHandlers_.add(code, object, handler);
}

void UiContext::removeAppHandler(int32_t code, void* object, EventHandler handler) {
    appHandlers_.remove(code, object, handler);
}

int32_t UiContext::raiseAppEvent(Event& event) {
    RouteBuffer route;
    if (const HandlerMap::List* list = appHandlers_.find(event.code))
        for (const DelegateRef& d : *list) route.push(d, nullptr);
    for (size_t i = 0; i < route.size() && !event.handled; ++i) route[i].delegate->invoke(nullptr, &event);
    return event.handled;
}

void UiContext::setTaskSink(PostedTaskSink* sink) {
    FrameworkLockGuard lock;
    sink_ = sink;
}

bool UiContext::postTask(PostedTask* task) {
    FrameworkLockGuard lock;
    UiContext* ctx = g_current;
    if (!ctx) return false;
    if (ctx->sink_) return ctx->sink_->post(task);
    return ctx->queue(task);
}

bool UiContext::queue(PostedTask* task) {
    queue_.push_back(task);
    return true;
}

size_t UiContext::runPostedTasks() {
    size_t ran = 0;
    for (;;) {
        PostedTask* task;
        {
            FrameworkLockGuard lock;
            if (queue_.empty()) break;
            task = queue_.front();
            queue_.pop_front();
        }
        PostedTask::run(task);
        ++ran;
    }
    return ran;
}

size_t UiContext::queuedTasks() const {
    FrameworkLockGuard lock;
    return queue_.size();
}

} // namespace nelvo
