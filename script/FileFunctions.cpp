// Files and folders.
//
// The functions that delete, move, copy or write refuse, with false, a path
// that passes through a link: the install script runs them elevated on
// folders of the user's (the application-data folder) and on paths the
// wizard took from the user. They act through handles opened part by part
// from the drive root, each part inside the handle of the folder above it
// and as itself (base/FileHandles.h), so a link put in place after a check
// cannot redirect them; new files and folders are made inside the handle of
// their checked folder. In the user's places they run with the user's own
// rights (asUser).

#include "base/FileCopy.h"
#include "base/FileHandles.h"
#include "base/PathChecks.h"
#include "base/ProtectedAccess.h"
#include "base/UserRights.h"
#include "script/FolderTree.h"
#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

namespace nelvo::bindings {

namespace {

// What a new file is made in: the folder is opened to add it.
constexpr DWORD kAddFile = FILE_ADD_FILE | FILE_TRAVERSE;

} // namespace

// [-0, +1] removeFile(path) -> boolean
//
// Opened with no link on the way and as itself; a read-only file loses that
// attribute through the same handle and is deleted through it.
int removeFile(lua_State* L) {
    const OpenedFile file = openWithoutLinks(argWideText(L, 1), DELETE | FILE_WRITE_ATTRIBUTES);
    bool removed = false;
    if (file.kind == FileKind::File) {
        FILE_BASIC_INFO basic{};
        if (GetFileInformationByHandleEx(file.handle.get(), FileBasicInfo, &basic, sizeof basic) &&
            (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
            basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
            if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
            basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
            SetFileInformationByHandle(file.handle.get(), FileBasicInfo, &basic, sizeof basic);
        }
        removed = deleteByHandle(file.handle.get());
    }
    lua_pushboolean(L, removed);
    return 1;
}

// [-0, +1] moveFile(source, target) -> boolean
//
// A copy and a delete, each through a handle opened with no link on the
// way: the source is opened with the program's own rights (it may lie in a
// folder the program protected), and its content is written into a new
// file of a random name in the target's folder, which then replaces the
// target by its handle; all of that with the rights the calling thread has
// (the user's, inside asUser). Only then is the source deleted, through the
// handle it was read by. The new file takes the access list of the target's
// folder, so a file moved into the user's folder is the user's to change.
int moveFile(lua_State* L) {
    const std::wstring sourcePath = argWideText(L, 1), targetPath = argWideText(L, 2);
    OpenedFile source;
    {
        const ActingAsProgram program;
        source = openWithoutLinks(sourcePath, GENERIC_READ | DELETE);
    }
    std::wstring name;
    const OpenedFile folder = openParentWithoutLinks(targetPath, name, kAddFile);
    const bool moved = source.kind == FileKind::File && folder.kind == FileKind::Folder &&
                       copyIntoFolder(source.handle.get(), folder.handle.get(), name);
    if (moved) {
        const ActingAsProgram program;
        deleteByHandle(source.handle.get());
    }
    lua_pushboolean(L, moved);
    return 1;
}

// [-0, +1] copyFile(source, target) -> boolean
//
// The source is opened with no link on the way and as itself, and copied
// into a new file made inside the handle of the target's folder, opened the
// same way (base/FileCopy.h); a plain file at the target is replaced.
int copyFile(lua_State* L) {
    const OpenedFile source = openWithoutLinks(argWideText(L, 1), GENERIC_READ);
    std::wstring name;
    const OpenedFile folder = openParentWithoutLinks(argWideText(L, 2), name, kAddFile);
    lua_pushboolean(L, source.kind == FileKind::File && folder.kind == FileKind::Folder &&
                           copyIntoFolder(source.handle.get(), folder.handle.get(), name));
    return 1;
}

// [-0, +0] removeDirectory(path)
int removeDirectory(lua_State* L) {
    removeFolderTree(argWideText(L, 1));
    return 0;
}

// [-0, +1] createDirectory(path) -> boolean
//
// Each missing folder is made inside the handle of the one above it, never
// through a link (script/FolderTree.h).
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
