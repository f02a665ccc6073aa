#pragma once
// The system functions: the native functions through which both scripts work
// on the machine (files, folders, processes, registry, shell, restart).

#include <lua.h>

namespace nelvo {

// Registers the 37 system functions as globals, in their fixed order, and
// then the numbers HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE
// and HKEY_USERS. Call it after the standard libraries are open: the system
// print replaces the library's. Used for the wizard's state and for the
// install worker's. Stack unchanged.
void registerSystemFunctions(lua_State* L);

} // namespace nelvo
