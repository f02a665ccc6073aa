// Files and folders.
//
// The functions that delete, move, copy or write refuse, with false, a path
// that passes through a link (base/PathChecks.h): the install script runs
// them elevated on folders of the user's (the application-data folder) and
// on paths the wizard took from the user.

#include "base/PathChecks.h"
#include "base/ProtectedAccess.h"
#include "script/FolderTree.h"
#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

namespace nelvo::bindings {

// [-0, +1] removeFile(path) -> boolean
int removeFile(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    if (passesThroughLink(path)) {
        lua_pushboolean(L, false);
        return 1;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    lua_pushboolean(L, DeleteFileW(path.c_str()));
    return 1;
}

// [-0, +1] moveFile(source, target) -> boolean
int moveFile(lua_State* L) {
    const std::wstring source = argWideText(L, 1);
    const std::wstring target = argWideText(L, 2);
    if (passesThroughLink(source) || passesThroughLink(target)) {
        lua_pushboolean(L, false);
        return 1;
    }
    lua_pushboolean(L, MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
    return 1;
}

// [-0, +1] copyFile(source, target) -> boolean
int copyFile(lua_State* L) {
    const std::wstring source = argWideText(L, 1);
    const std::wstring target = argWideText(L, 2);
    if (passesThroughLink(source) || passesThroughLink(target)) {
        lua_pushboolean(L, false);
        return 1;
    }
    lua_pushboolean(L, CopyFileW(source.c_str(), target.c_str(), FALSE));
    return 1;
}

// [-0, +0] removeDirectory(path)
int removeDirectory(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    if (!path.empty() && !passesThroughLink(path)) removeFolderTree(path);
    return 0;
}

// [-0, +1] createDirectory(path) -> boolean
int createDirectory(lua_State* L) {
    lua_pushboolean(L, createFolderPath(argWideText(L, 1)));
    return 1;
}

// [-0, +1] createProtectedDirectory(path) -> boolean
//
// The install folder (base/ProtectedAccess.h, makeInstallFolder): a missing
// one is made owned by Administrators with the protected access list, with
// every missing folder above it; an existing one is used as it is, and only
// when only administrators can change it and everything in it. False as
// well for a folder whose parent lets others move it, and when the path
// passes through a link.
int createProtectedDirectory(lua_State* L) {
    std::wstring path = argWideText(L, 1);
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    lua_pushboolean(L, path.size() > 3 && !passesThroughLink(path) && makeInstallFolder(path));
    return 1;
}

// [-0, +1] isSystemPath(path) -> boolean
int isSystemPath(lua_State* L) {
    lua_pushboolean(L, nelvo::isSystemPath(argWideText(L, 1)));
    return 1;
}

// [-0, +1] fileExists(path) -> boolean
int fileExists(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    lua_pushboolean(L, !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    return 1;
}

// [-0, +1] volumeExists(root) -> boolean
int volumeExists(lua_State* L) {
    const std::wstring root = argWideText(L, 1);
    // Only a drive root names a volume. Anything else could be a folder, and
    // the empty text would ask about the current folder's drive.
    const bool driveRoot = root.size() == 3 && ((root[0] >= L'A' && root[0] <= L'Z') || (root[0] >= L'a' && root[0] <= L'z')) &&
                           root[1] == L':' && root[2] == L'\\';
    lua_pushboolean(L, driveRoot && GetDriveTypeW(root.c_str()) == DRIVE_FIXED);
    return 1;
}

// [-0, +1] directoryEmpty(path) -> boolean
int directoryEmpty(lua_State* L) {
    lua_pushboolean(L, folderEmptyOrAbsent(argWideText(L, 1)));
    return 1;
}

// [-0, +0] setCurrentDirectory(path)
int setCurrentDirectory(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    if (!path.empty()) SetCurrentDirectoryW(path.c_str());
    return 0;
}

} // namespace nelvo::bindings
