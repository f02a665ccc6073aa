#pragma once
// The wizard's interpreter: one Lua state on the main thread, filled with the
// standard libraries, the system functions, createWindow and startWork and
// the registry tables, which runs the main script to its end.
//
// Script callbacks that native code makes while the script runs (events,
// timers, notifications) are protected: the first one that fails ends the
// dialog loops and its error is reported by run(), once, as a run error.

#include "script/SystemFunctions.h"

#include <string_view>

struct lua_State;

namespace nelvo {

class LuaHost {
public:
    LuaHost() = default;
    LuaHost(const LuaHost&) = delete;
    LuaHost& operator=(const LuaHost&) = delete;
    ~LuaHost();

    // Creates the state; the system functions reach `guards`. False when the
    // interpreter could not be created.
    bool create(const ProcessGuards& guards);

    // Loads the named resource as one chunk and calls it. A compile or run
    // error is shown in a message box captioned "错误". The state is closed
    // afterwards in every case.
    void run(const char16_t* resourceName);
    // The same for a script in hand; `text` ends at its first zero byte.
    void runText(std::string_view text);

    // The main state, or null outside create()..run().
    static lua_State* mainState();

private:
    void close();

    lua_State* L_ = nullptr;
};

} // namespace nelvo
