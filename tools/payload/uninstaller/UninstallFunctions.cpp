#include "tools/payload/uninstaller/UninstallFunctions.h"

#include "base/FileHandles.h"
#include "base/UniqueHandle.h"
#include "base/UserRights.h"
#include "script/LuaConvert.h"
#include "script/NativeBoundary.h"

#include <windows.h>

#include <lua.h>

#include <optional>
#include <vector>

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

// [-0, +0] handOverResult(code)
int handOverResult(lua_State* L) {
    const auto* handOver = static_cast<const ResultHandOver*>(lua_touserdata(L, lua_upvalueindex(1)));
    (*handOver)(argInteger(L, 1));
    return 0;
}

void setFunction(lua_State* L, const char* name, lua_CFunction function) {
    lua_pushcfunction(L, function);
    lua_setglobal(L, name);
}

// [-0, +1] removeKeptFiles(folder) -> number of files deleted
// The hidden "nlu*.tmp" files that setup keeps beside the files it replaces
// while it installs; one left by a run that could not be finished goes with
// the installation. The folder is opened with no link on its way, each file
// inside its handle as itself, and what the handle shows (a hidden plain
// file, not what the listing said) decides; the delete goes through it.
int removeKeptFiles(lua_State* L) {
    const OpenedFile folder = openWithoutLinks(argWideText(L, 1), FILE_LIST_DIRECTORY | FILE_TRAVERSE);
    std::vector<FolderEntry> entries;
    int removed = 0;
    if (folder.kind == FileKind::Folder && listFolder(folder.handle.get(), entries)) {
        for (const FolderEntry& entry : entries) {
            const std::wstring& name = entry.name;
            if (name.size() < 7 || _wcsnicmp(name.c_str(), L"nlu", 3) != 0 ||
                _wcsicmp(name.c_str() + name.size() - 4, L".tmp") != 0)
                continue;
            const OpenedFile file = openInFolder(folder.handle.get(), name, DELETE | FILE_WRITE_ATTRIBUTES);
            FILE_BASIC_INFO basic{};
            if (file.kind != FileKind::File ||
                !GetFileInformationByHandleEx(file.handle.get(), FileBasicInfo, &basic, sizeof basic) ||
                !(basic.FileAttributes & FILE_ATTRIBUTE_HIDDEN) || (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) {
                basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
                basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
                basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
                SetFileInformationByHandle(file.handle.get(), FileBasicInfo, &basic, sizeof basic);
            }
            if (deleteByHandle(file.handle.get())) ++removed;
        }
    }
    lua_pushinteger(L, removed);
    return 1;
}

} // namespace

void registerUninstallFunctions(lua_State* L, const RemovalStarter* starter, const ResultHandOver* handOver) {
    setFunction(L, "removeKeptFiles", nativeBoundary<removeKeptFiles>);
    setFunction(L, "removeEmptyDirectory", nativeBoundary<removeEmptyDirectory>);
    setFunction(L, "isFolderLink", nativeBoundary<isFolderLink>);
    setFunction(L, "regDeleteEmptyKey", nativeBoundary<regDeleteEmptyKey>);
    setFunction(L, "removeAtRestart", nativeBoundary<removeAtRestart>);
    if (starter) {
        lua_pushlightuserdata(L, const_cast<RemovalStarter*>(starter));
        lua_pushcclosure(L, nativeBoundary<startRemoval>, 1);
        lua_setglobal(L, "startRemoval");
    }
    if (handOver) {
        lua_pushlightuserdata(L, const_cast<ResultHandOver*>(handOver));
        lua_pushcclosure(L, nativeBoundary<handOverResult>, 1);
        lua_setglobal(L, "handOverResult");
    }
}

} // namespace nelvo::uninstall
