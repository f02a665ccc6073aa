#pragma once
// The window side of the script interface: the globals createWindow and
// startWork, the methods of a window object, and script timers.
//
// A window object is a plain table of the sixteen window methods; its entry
// in the script's __window table ties it to a WindowImpl. The native state
// that scripts give a window (its message handlers, its timers, its icon) is
// kept here per window and released when the window is destroyed.
// Main thread only.

#include "dui/Timer.h"

#include <lua.h>

#include <string>

namespace nelvo {

class WindowImpl;

class LuaWindow {
public:
    // A script timer: each tick runs the function the script attached to
    // this timer's handle, in the main state (also when a coroutine made
    // it). A tick that comes while that function still runs (in the loop of
    // a message box it opened) is skipped.
    class LuaWindowTimer final : public Timer {
    public:
        LuaWindowTimer(lua_State* L, uint32_t intervalMs) : Timer(intervalMs), state_(L) {}
        void tick() override;

    private:
        lua_State* state_;
    };

    // How startWork reaches the install worker, which lives above the
    // bridge: the script and package names as UTF-16, the configuration as
    // the script gave it. False when a worker is already running.
    using WorkStarter = bool (*)(std::u16string script, std::u16string package, std::string configuration);
    // Set by whoever brings the wizard up, before its state is made; without
    // it startWork does nothing.
    static void setWorkStarter(WorkStarter start);

    // Registers createWindow and startWork as globals. Stack unchanged.
    static void registerFunctions(lua_State* L);

    // Whether `window` was made by createWindow and is not destroyed yet.
    static bool isLive(const WindowImpl* window);
    // Drops what scripts gave the window: its notification handlers, its
    // timers (stopped and freed) and its icon. Called when it is destroyed.
    static void release(WindowImpl& window);
    // Before the state closes: stops and frees every script timer, so that
    // none ticks into a closed state; the windows themselves stay.
    static void stopAllTimers();
};

} // namespace nelvo
