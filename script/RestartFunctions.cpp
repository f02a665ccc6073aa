// Restarting the computer, the pending-restart marker and the instance guard.

#include "base/InstanceMutex.h"
#include "base/PathChecks.h"
#include "base/RestartMarker.h"
#include "base/UniqueHandle.h"
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
    const std::wstring path = restartMarkerPath();
    // The temporary folder is the user's: a link put in place of the marker
    // (or on its way) would turn the elevated write onto another file.
    if (path.empty() || passesThroughLink(path)) return 0;
    uint8_t shutdownTime[8] = {};
    readShutdownTime(shutdownTime);
    {
        UniqueFileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) WriteFile(file.get(), shutdownTime, sizeof shutdownTime, &written, nullptr);
    }
    // Requested even when the file could not be written: an older marker at
    // the same path must not outlive the restart either.
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}

// [-0, +0] releaseMutex()
int releaseMutex(lua_State*) {
    releaseInstanceMutex();
    return 0;
}

} // namespace nelvo::bindings
