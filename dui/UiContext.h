#pragma once
// UiContext: the framework's process-wide context. It holds the control
// factory, the attribute setters, the layout package, the application-level
// handlers, where posted tasks go and where styles come from.
//
// Framework start creates the one instance (it becomes current at once) and
// framework stop destroys it; the destructor takes the framework lock, so a
// post from another thread either completes before or finds no context.
// Everything except postTask() is for the UI thread.

#include "dui/ControlFactory.h"
#include "dui/Event.h"
#include "dui/HandlerMap.h"
#include "dui/LayoutHolder.h"
#include "dui/PostedTask.h"
#include "dui/SetterRegistry.h"

#include <cstddef>
#include <deque>

namespace nelvo {

class SkinManager;
class StyleSource;

class UiContext {
public:
    // Fills the factory with the core's elements and styles (the shipped
    // controls are registered by whoever starts the framework) and the
    // setters. There may be only one at a time.
    UiContext();
    ~UiContext();
    UiContext(const UiContext&) = delete;
    UiContext& operator=(const UiContext&) = delete;

    // The running context, or null.
    static UiContext* current();

    ControlFactory& factory() { return factory_; }
    const ControlFactory& factory() const { return factory_; }
    SetterRegistry& setters() { return setters_; }
    const SetterRegistry& setters() const { return setters_; }
    LayoutHolder& layouts() { return layouts_; }
    const LayoutHolder& layouts() const { return layouts_; }

    // --- Application-level handlers ---
    // As Control::addHandler: a null reference when the pool is exhausted.
    [[nodiscard]] DelegateRef addAppHandler(int32_t code, void* object, EventHandler handler);
    void removeAppHandler(int32_t code, void* object, EventHandler handler);
    // Delivers to the handlers of the event's code in registration order,
    // with a null sender, until one sets `handled`. Returns `handled`.
    int32_t raiseAppEvent(Event& event);

    // --- Posted tasks ---
    // Where tasks go from now on (null: the context's own queue). The sink
    // must outlive the context or be reset first.
    void setTaskSink(PostedTaskSink* sink);
    // Hands a task to the running context. False when there is none or the
    // sink refused it; the caller still owns the task then. Any thread.
    static bool postTask(PostedTask* task);
    // Runs the tasks waiting in the context's own queue, in posting order,
    // including those posted while they run. Returns how many ran.
    size_t runPostedTasks();
    size_t queuedTasks() const;

    // --- Styles ---
    void setStyleSource(StyleSource* source) { styles_ = source; }
    StyleSource* styleSource() const { return styles_; }
    // The skin manager of the running framework (Windows build); it is also
    // the style source there.
    void setSkinManager(SkinManager* skins) { skins_ = skins; }
    SkinManager* skinManager() const { return skins_; }

private:
    bool queue(PostedTask* task);

    ControlFactory factory_;
    SetterRegistry setters_;
    LayoutHolder layouts_;
    HandlerMap appHandlers_;
    PostedTaskSink* sink_ = nullptr;
    std::deque<PostedTask*> queue_;  // guarded by the framework lock
    StyleSource* styles_ = nullptr;
    SkinManager* skins_ = nullptr;
};

} // namespace nelvo
