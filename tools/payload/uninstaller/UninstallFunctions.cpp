#include "tools/payload/uninstaller/UninstallFunctions.h"

#include "base/FileHandles.h"
#include "base/UniqueHandle.h"
#include "base/UserRights.h"
#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"

#include <windows.h>

#include <lua.h>

#include <optional>

namespace nelvo::uninstall {
namespace {

HKEY argRoot(lua_State* L, int index) {
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(argInteger(L, index)));
}

// [-0, +1] removeEmptyDirectory(path) -> boolean
int removeEmptyDirectory(lua_State* L) {
    // Opened part by part with no link on the way, and deleted through the
    // handle that shows it is a folder: a link anywhere on the path (the
    // user's data folder made a link to another folder) removes nothing, and
    // neither does a folder swapped for one after the check. The system
    // refuses a folder with entries.
    const OpenedFile folder = openWithoutLinks(argWideText(L, 1), DELETE);
    lua_pushboolean(L, folder.kind == FileKind::Folder && deleteByHandle(folder.handle.get()));
    return 1;
}

// [-0, +1] isFolderLink(path) -> boolean
int isFolderLink(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    lua_pushboolean(L, attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT));
    return 1;
}

// [-0, +1] regDeleteEmptyKey(root, key) -> boolean
int regDeleteEmptyKey(lua_State* L) {
    const HKEY root = argRoot(L, 1);
    const std::wstring path = argWideText(L, 2);
    // The empty path would name the root itself.
    if (path.empty()) {
        lua_pushboolean(L, false);
        return 1;
    }
    // HKEY_CURRENT_USER is the user's: changed only with the user's rights.
    std::optional<ActingAsUser> user;
    if (root == HKEY_CURRENT_USER) user.emplace();
    if (user && !user->acting()) {
        lua_pushboolean(L, false);
        return 1;
    }
    UniqueRegKey key;
    const LSTATUS opened = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put());
    if (opened != ERROR_SUCCESS) {
        key.release();
        lua_pushboolean(L, opened == ERROR_FILE_NOT_FOUND);
        return 1;
    }
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    key.reset();
    lua_pushboolean(L, empty && RegDeleteKeyW(root, path.c_str()) == ERROR_SUCCESS);
    return 1;
}

// [-0, +1] removeAtRestart(path) -> boolean
int removeAtRestart(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    lua_pushboolean(L, !path.empty() && MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    return 1;
}

// [-0, +1] startRemoval() -> boolean
int startRemoval(lua_State* L) {
    const auto* starter = static_cast<const RemovalStarter*>(lua_touserdata(L, lua_upvalueindex(1)));
    lua_pushboolean(L, (*starter)());
    return 1;
}

void setFunction(lua_State* L, const char* name, lua_CFunction function) {
    lua_pushcfunction(L, function);
    lua_setglobal(L, name);
}

} // namespace

void registerUninstallFunctions(lua_State* L, const RemovalStarter* starter) {
    setFunction(L, "removeEmptyDirectory", nativeBoundary<removeEmptyDirectory>);
    setFunction(L, "isFolderLink", nativeBoundary<isFolderLink>);
    setFunction(L, "regDeleteEmptyKey", nativeBoundary<regDeleteEmptyKey>);
    setFunction(L, "removeAtRestart", nativeBoundary<removeAtRestart>);
    if (starter) {
        lua_pushlightuserdata(L, const_cast<RemovalStarter*>(starter));
        lua_pushcclosure(L, nativeBoundary<startRemoval>, 1);
        lua_setglobal(L, "startRemoval");
    }
}

} // namespace nelvo::uninstall
