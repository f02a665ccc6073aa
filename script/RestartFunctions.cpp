// Restarting the computer, the pending-restart marker and the instance guard.

#include "script/SystemBindings.h"
#include "script/SystemRestart.h"

namespace nelvo::bindings {

// [-0, +0] reboot()
int reboot(lua_State*) {
    requestRestart(currentRestartCalls());
    return 0;
}

// [-0, +0] markRestart()
int markRestart(lua_State*) {
    if (void (*mark)() = registeredGuards().markRestart) mark();
    return 0;
}

// [-0, +0] releaseMutex()
int releaseMutex(lua_State*) {
    if (void (*release)() = registeredGuards().releaseMutex) release();
    return 0;
}

} // namespace nelvo::bindings
