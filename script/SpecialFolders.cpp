// The shell's special folders and the temporary folder.

#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <windows.h>
#include <shlobj.h>

namespace nelvo::bindings {

namespace {

// Pushes the shell folder's path (created when missing); nothing when the
// shell fails.
int pushShellFolder(lua_State* L, int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) return 0;
    path[MAX_PATH] = L'\0';
    pushWideText(L, path);
    return 1;
}

} // namespace

// [-0, +(0|1)] getAppDataFolder() -> path or nothing
int getAppDataFolder(lua_State* L) { return pushShellFolder(L, CSIDL_APPDATA); }

// [-0, +(0|1)] getProgramFolder() -> path or nothing
int getProgramFolder(lua_State* L) { return pushShellFolder(L, CSIDL_PROGRAM_FILES); }

// [-0, +(0|1)] getDesktopFolder() -> path or nothing
int getDesktopFolder(lua_State* L) { return pushShellFolder(L, CSIDL_COMMON_DESKTOPDIRECTORY); }

// [-0, +(0|1)] getStartMenuFolder() -> path or nothing
int getStartMenuFolder(lua_State* L) { return pushShellFolder(L, CSIDL_COMMON_PROGRAMS); }

// [-0, +(0|1)] getTempFolder() -> path ending in "\" or nothing
int getTempFolder(lua_State* L) {
    wchar_t path[MAX_PATH + 1] = {};
    // The result is the length without the zero when the path fits, or the
    // size the path would need when it does not; then nothing was written.
    const DWORD n = GetTempPathW(MAX_PATH, path);
    if (n == 0 || n >= MAX_PATH) return 0;
    pushWideText(L, std::wstring_view(path, n));
    return 1;
}

} // namespace nelvo::bindings
