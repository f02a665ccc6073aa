// Files and folders.
//
// The functions that delete, move, copy or write refuse, with false, a path
// that passes through a link: the install script runs them elevated on
// folders of the user's (the application-data folder) and on paths the
// wizard took from the user. Deletes and moves act through a handle opened
// part by part with no link on the way (base/FileHandles.h), so a link put
// in place after a check cannot redirect them; copies and new folders are
// checked by name (base/PathChecks.h) and are made in the user's places
// only with the user's own rights (asUser).

#include "base/FileHandles.h"
#include "base/NewSiblingFile.h"
#include "base/PathChecks.h"
#include "base/ProtectedAccess.h"
#include "base/UserRights.h"
#include "script/FolderTree.h"
#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <vector>

namespace nelvo::bindings {

namespace {

// Opens the folder of `path` with no link on its way, for making a file in
// it, and gives the last part of the path in `name`.
OpenedFile openFolderOf(const std::wstring& path, std::wstring& name) {
    std::wstring folder;
    if (!splitLastPart(path, folder, name)) return {};
    return openWithoutLinks(folder, FILE_ADD_FILE | FILE_TRAVERSE);
}

// Copies what `from` holds into `to`, both opened for it, and gives `to` the
// time of the last write of `from`.
bool copyContent(HANDLE from, HANDLE to) {
    static constexpr DWORD kChunk = 64 << 10;
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, buffer.data(), kChunk, &read, nullptr)) return false;
        if (read == 0) break;
        DWORD written = 0;
        if (!WriteFile(to, buffer.data(), read, &written, nullptr) || written != read) return false;
    }
    FILE_BASIC_INFO times{};
    if (GetFileInformationByHandleEx(from, FileBasicInfo, &times, sizeof times)) {
        times.CreationTime.QuadPart = times.LastAccessTime.QuadPart = times.ChangeTime.QuadPart = 0;
        times.FileAttributes = 0;
        SetFileInformationByHandle(to, FileBasicInfo, &times, sizeof times);
    }
    return true;
}

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
    const OpenedFile folder = openFolderOf(targetPath, name);
    bool moved = false;
    if (source.kind == FileKind::File && folder.kind == FileKind::Folder) {
        // Only a file, or nothing, is replaced; the handle that shows it is
        // closed again, since the system replaces no file held open.
        const FileKind existing = openInFolder(folder.handle.get(), name, 0).kind;
        if (existing == FileKind::Absent || existing == FileKind::File) {
            OpenedFile fresh;
            std::wstring freshName;
            for (int attempt = 0; attempt < 16 && !fresh.handle; ++attempt) {
                freshName = randomFileName(L"nlm");
                fresh = createInFolder(folder.handle.get(), freshName, GENERIC_WRITE | DELETE);
                if (!fresh.handle && GetLastError() != ERROR_FILE_EXISTS) break;
            }
            if (fresh.handle) {
                moved = copyContent(source.handle.get(), fresh.handle.get()) && FlushFileBuffers(fresh.handle.get()) &&
                        renameByHandle(fresh.handle.get(), folder.handle.get(), name, true);
                if (!moved) deleteByHandle(fresh.handle.get());
            }
        }
    }
    if (moved) {
        const ActingAsProgram program;
        deleteByHandle(source.handle.get());
    }
    lua_pushboolean(L, moved);
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
    removeFolderTree(argWideText(L, 1));
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
