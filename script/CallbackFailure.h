#pragma once
// The first error of a script callback.
//
// Native code calls script functions (event handlers, the message handler,
// timer functions, the bootstrap functions) from window procedures, timer
// callbacks and hooks, through which no error may unwind. Each such call is
// protected; when one fails, its error text is kept here and the running
// modal loops are asked to end. From then on every native function of the
// bridge that the script calls raises the kept error again, so that it
// travels up the script's own frames to the run's protected call and is
// reported there once. Callbacks are not called again while a failure is
// pending. Main thread only.

#include <lua.h>

#include <string>

namespace nelvo {

class CallbackFailure {
public:
    static bool pending() { return pending_; }
    static const std::string& text() { return text_; }

    // Keeps `text` unless a failure is pending already, and ends the modal
    // loops.
    static void record(std::string text);
    // Raises the kept error in L (the text as the error value).
    [[noreturn]] static void raise(lua_State* L);
    // Forgets the failure (the run that reported it has ended).
    static void clear();

    // What ends the running modal loops; installed by the window functions.
    using EndLoops = void (*)();
    static void setEndLoops(EndLoops endLoops) { endLoops_ = endLoops; }

private:
    static inline bool pending_ = false;
    static inline std::string text_;
    static inline EndLoops endLoops_ = nullptr;
};

} // namespace nelvo
