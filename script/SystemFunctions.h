#pragma once
// The system functions: the native functions through which both scripts work
// on the machine (files, folders, processes, registry, shell, restart).

#include <lua.h>

namespace nelvo {

// What two of the system functions reach in the program above the scripts:
// the process's guards. A null entry makes its function do nothing.
struct ProcessGuards {
    void (*releaseMutex)() = nullptr;  // releaseMutex(): closes the instance mutex
    void (*markRestart)() = nullptr;   // markRestart(): writes the restart marker
};

// Registers the 39 system functions as globals, in their fixed order, and
// then the numbers HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE
// and HKEY_USERS. Call it after the standard libraries are open: the system
// print replaces the library's. Used for the wizard's state and for the
// install worker's. `guards` serve every state of the process: the last
// registration's are the ones used. Stack unchanged.
void registerSystemFunctions(lua_State* L, const ProcessGuards& guards);

} // namespace nelvo
