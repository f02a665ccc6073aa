// The calling thread, the debugger output, the environment and the system's
// version.

#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <windows.h>

namespace nelvo::bindings {

namespace {

bool versionInfo(OSVERSIONINFOW& info) {
    info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // The version the system reports to this program is the point: with the
    // manifest's compatibility list it says 6.2 on every later system.
    return GetVersionExW(&info);
#pragma GCC diagnostic pop
}

} // namespace

// [-0, +0] sleep(milliseconds)
int sleep(lua_State* L) {
    Sleep(static_cast<DWORD>(argInteger(L, 1)));
    return 0;
}

// [-0, +0] print(text); further arguments are ignored
int print(lua_State* L) {
    const std::wstring text = argWideText(L, 1);
    OutputDebugStringW(text.c_str());
    return 0;
}

// [-0, +0] setEnvVar(name, value)
int setEnvVar(lua_State* L) {
    const std::wstring name = argWideText(L, 1);
    const std::wstring value = argWideText(L, 2);
    if (!name.empty()) SetEnvironmentVariableW(name.c_str(), value.c_str());
    return 0;
}

// [-0, +1] isWOW32() -> boolean: true on a 32-bit system
int isWOW32(lua_State* L) {
    wchar_t folder[MAX_PATH + 1] = {};
    const bool failed = GetSystemWow64DirectoryW(folder, MAX_PATH) == 0;
    lua_pushboolean(L, failed && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED);
    return 1;
}

// [-0, +1] isVista() -> boolean
int isVista(lua_State* L) {
    OSVERSIONINFOW info;
    lua_pushboolean(L, versionInfo(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5);
    return 1;
}

// [-0, +1] isWin8() -> boolean
int isWin8(lua_State* L) {
    OSVERSIONINFOW info;
    lua_pushboolean(L, versionInfo(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5 &&
                           info.dwMinorVersion > 1);
    return 1;
}

} // namespace nelvo::bindings
