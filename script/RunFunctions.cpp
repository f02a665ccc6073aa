// What the command line asked of this run, its log and its exit code.

#include "base/CommandLine.h"
#include "base/ExitCodes.h"
#include "base/RunLog.h"
#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <lua.h>

namespace nelvo::bindings {

// [-0, +1] getRunOptions() -> {silent = bool, forceRestart = bool, folder = text or nil}
int getRunOptions(lua_State* L) {
    const RunOptions& options = runOptions();
    lua_createtable(L, 0, 3);
    lua_pushboolean(L, options.silent);
    lua_setfield(L, -2, "silent");
    lua_pushboolean(L, options.forceRestart);
    lua_setfield(L, -2, "forceRestart");
    if (options.folderGiven) {
        pushText(L, options.folder);
        lua_setfield(L, -2, "folder");
    }
    return 1;
}

// [-0, +0] setExitCode(code): the code the program ends with
int setExitCode(lua_State* L) {
    exitcode::set(argInteger(L, 1));
    return 0;
}

// [-0, +0] writeLog(kind, text): one line of the run's log, when it has one
int writeLog(lua_State* L) {
    if (!RunLog::active()) return 0;
    const std::string kind(argBytes(L, 1));
    RunLog::write(kind.empty() ? "script" : kind.c_str(), std::wstring_view(argWideText(L, 2)));
    return 0;
}

} // namespace nelvo::bindings
