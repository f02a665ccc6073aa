#include "script/SystemFunctions.h"

#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"
#include "script/SystemBindings.h"

#include <windows.h>

#include <cstdint>
#include <iterator>

namespace nelvo {

namespace {

struct SystemFunction {
    const char* name;
    lua_CFunction function;
};

#define NELVO_SYSTEM_FUNCTION(name) {#name, nativeBoundary<bindings::name>}

// In registration order.
constexpr SystemFunction kSystemFunctions[] = {
    NELVO_SYSTEM_FUNCTION(sleep),
    NELVO_SYSTEM_FUNCTION(killProcess),
    NELVO_SYSTEM_FUNCTION(removeFile),
    NELVO_SYSTEM_FUNCTION(moveFile),
    NELVO_SYSTEM_FUNCTION(copyFile),
    NELVO_SYSTEM_FUNCTION(removeDirectory),
    NELVO_SYSTEM_FUNCTION(createDirectory),
    NELVO_SYSTEM_FUNCTION(shellExecuteEx),
    NELVO_SYSTEM_FUNCTION(fileExists),
    NELVO_SYSTEM_FUNCTION(print),
    NELVO_SYSTEM_FUNCTION(getAppDataFolder),
    NELVO_SYSTEM_FUNCTION(getProgramFolder),
    NELVO_SYSTEM_FUNCTION(getTempFolder),
    NELVO_SYSTEM_FUNCTION(getDesktopFolder),
    NELVO_SYSTEM_FUNCTION(getStartMenuFolder),
    NELVO_SYSTEM_FUNCTION(createShortCut),
    NELVO_SYSTEM_FUNCTION(reboot),
    NELVO_SYSTEM_FUNCTION(volumeExists),
    NELVO_SYSTEM_FUNCTION(directoryEmpty),
    NELVO_SYSTEM_FUNCTION(setCurrentDirectory),
    NELVO_SYSTEM_FUNCTION(isWOW32),
    NELVO_SYSTEM_FUNCTION(isProcessRunning),
    NELVO_SYSTEM_FUNCTION(showMessageBox),
    NELVO_SYSTEM_FUNCTION(getProcessPath),
    NELVO_SYSTEM_FUNCTION(regQueryString),
    NELVO_SYSTEM_FUNCTION(regQueryInteger),
    NELVO_SYSTEM_FUNCTION(regWriteString),
    NELVO_SYSTEM_FUNCTION(regWriteInteger),
    NELVO_SYSTEM_FUNCTION(regDeleteValue),
    NELVO_SYSTEM_FUNCTION(regDeleteSubKey),
    NELVO_SYSTEM_FUNCTION(markRestart),
    NELVO_SYSTEM_FUNCTION(releaseMutex),
    NELVO_SYSTEM_FUNCTION(setEnvVar),
    NELVO_SYSTEM_FUNCTION(isVista),
    NELVO_SYSTEM_FUNCTION(isWin8),
    NELVO_SYSTEM_FUNCTION(getRunningProcess),
    NELVO_SYSTEM_FUNCTION(killRunningProcess),
    NELVO_SYSTEM_FUNCTION(createProtectedDirectory),
    NELVO_SYSTEM_FUNCTION(isSystemPath),
    NELVO_SYSTEM_FUNCTION(diskFreeSpace),
    NELVO_SYSTEM_FUNCTION(fileSize),
    NELVO_SYSTEM_FUNCTION(getRunOptions),
    NELVO_SYSTEM_FUNCTION(setExitCode),
    NELVO_SYSTEM_FUNCTION(writeLog),
    NELVO_SYSTEM_FUNCTION(installFolderTrust),
};

#undef NELVO_SYSTEM_FUNCTION

static_assert(std::size(kSystemFunctions) == 45);

int32_t rootNumber(HKEY root) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(root)); }

ProcessGuards& guardsOfProcess() {
    static ProcessGuards guards;
    return guards;
}

} // namespace

const ProcessGuards& bindings::registeredGuards() { return guardsOfProcess(); }

void registerSystemFunctions(lua_State* L, const ProcessGuards& guards) {
    guardsOfProcess() = guards;
    for (const SystemFunction& f : kSystemFunctions) lua_register(L, f.name, f.function);

    const struct {
        const char* name;
        HKEY root;
    } roots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
    };
    for (const auto& r : roots) {
        pushInteger(L, rootNumber(r.root));
        lua_setglobal(L, r.name);
    }
}

} // namespace nelvo
