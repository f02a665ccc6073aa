#pragma once
// The bridge between native objects and the script's registry tables.
//
// Native code never reads or writes the tables that tie script objects to
// controls, windows and timers: it calls the script's bootstrap functions
// (globals named lua_*) with the registry table as their first argument.
// Every such call is protected; a failure is kept by CallbackFailure and the
// operation then behaves as if the script had answered nil.
//
// A handle is an object's address taken as a signed 32-bit integer and stored
// as a script number. Main thread only; every operation uses the main state
// (LuaHost::mainState()) and does nothing when there is none.

#include "dui/Event.h"

#include <lua.h>

#include <cstdint>
#include <type_traits>

namespace nelvo {

class Control;
class WindowImpl;

namespace bridge {

inline constexpr char kControls[] = "__control";
inline constexpr char kWindows[] = "__window";
inline constexpr char kTimers[] = "__timer";

int32_t handleOf(const void* object);
// The address a handle names (null for 0 or a value that is not a number).
void* fromHandle(lua_State* L, int index);
void pushHandle(lua_State* L, const void* object);

// Every entry from native code into the script is one protected call of a
// C function that does the look-ups, the pushes and the calls itself: a
// global table whose __index raises, a finaliser that runs on an allocation
// and a missing bootstrap function all end at that call. Before it, only
// pushes that allocate nothing may be made (values already on the stack,
// numbers, handles).

// Runs `body(L)` as that C function: the `nargs` values on top of the stack
// are its arguments (at 1..nargs) and it returns how many results it left
// on top, of which `nresults` are kept. When it fails, the error is
// recorded and `nresults` nils stand in for the results: false.
// [-nargs, +nresults]
using EntryBody = int (*)(lua_State* L, void* context);
bool runProtected(lua_State* L, int nargs, int nresults, EntryBody body, void* context);

template <typename Body>
bool protectedEntry(lua_State* L, int nargs, int nresults, Body&& body) {
    using B = std::remove_reference_t<Body>;
    return runProtected(
        L, nargs, nresults, [](lua_State* S, void* b) -> int { return (*static_cast<B*>(b))(S); }, &body);
}

// Inside an entry only: calls the bootstrap function `name` with the
// registry table `key` (none when null) in front of the `nargs` values on
// top of the stack; raises the interpreter's error for calling an undefined
// global when the script has no such function. [-nargs, +nresults]
void callBootstrap(lua_State* L, const char* name, const char* key, int nargs, int nresults);

// One entry that calls only bootstrap `name` with the `nargs` values on top.
// [-nargs, +nresults]
bool protectedBootstrap(lua_State* L, const char* name, const char* key, int nargs, int nresults);

// --- The bridge operations ---

// Leaves the control's object on the stack (made and registered on first
// use, setting ScriptBound), or nil for a null control. [-0, +1]
void pushControl(lua_State* L, Control* control);
// The control argument `index` stands for, or null when it names no live
// control the script was given. [-0, +0]
Control* controlOfSelf(lua_State* L, int index);
// Drops the control's entry and clears ScriptBound (the control's
// destruction calls it).
void removeControl(Control* control);

// The window's object, or nil. [-0, +1]
void pushWindow(lua_State* L, WindowImpl* window);
// The window argument `index` stands for, or null when it names no live
// window. [-0, +0]
WindowImpl* windowOfSelf(lua_State* L, int index);
// Drops the window's entry and its timers' entries, then the window's native
// script state (message handlers, timers, icon).
void windowDestroyed(WindowImpl& window);

// The script delegate of a control: runs the functions attached for the
// event's code and stores whether one handled it.
void deliverEvent(void* control, Control* sender, Event* event);
// A script timer's tick.
void timerTick(const void* timer);
// The application-level handler for worker notifications: the window's
// message handler answers in param2 (2 when the script has failed).
void deliverNotification(void* window, Control* sender, Event* event);

} // namespace bridge
} // namespace nelvo
