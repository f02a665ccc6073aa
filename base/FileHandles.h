#pragma once
// Acting on files through the handle that was checked, for folders someone
// else can write (the user's folders, the temporary folder): a name is
// opened once, as itself (a link is never followed), what the handle is gets
// checked, and the delete, rename or listing goes through that handle. A
// link put in place of a name after a check therefore cannot turn the act
// onto another file.
//
// Every open is relative to the handle of the folder above it (the NT
// RootDirectory of the open), so a folder on the way that is swapped for a
// link after it was opened does not move what is reached below it either.
// Windows only; any thread. Under impersonation the opens are made with the
// impersonated rights.

#include "base/UniqueHandle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace nelvo {

enum class FileKind {
    Absent,  // nothing at the name
    File,
    Folder,
    // A junction, symbolic link or mount point. With a handle: the handle is
    // the link itself (deleting through it removes only the link). Without
    // one: the system followed the link when it opened the name (Wine, for
    // the links of the host's file system), so nothing may be done to it.
    Link,
    Failed,  // there, but it could not be opened (access, sharing)
};

struct OpenedFile {
    UniqueFileHandle handle;
    FileKind kind = FileKind::Failed;
};

// Opens `name` (a single part: no separator, not "." or "..") inside the
// opened folder `folder`, as itself. `access` is what the caller will do
// through the handle (DELETE, FILE_LIST_DIRECTORY, GENERIC_READ, ...);
// reading the attributes and waiting on the handle are always added. When
// the open fails, GetLastError says why (ERROR_SHARING_VIOLATION: another
// program holds it).
OpenedFile openInFolder(HANDLE folder, const std::wstring& name, DWORD access);

// Makes a new file `name` inside the opened folder `folder`: File with the
// handle when it was made, Failed when the name is taken or the file cannot
// be made (GetLastError says which: ERROR_FILE_EXISTS for a taken name).
OpenedFile createInFolder(HANDLE folder, const std::wstring& name, DWORD access);

// Opens the folder `name` inside the opened folder `folder` as itself, and
// makes it when nothing is there (it then takes what its parent passes on):
// Folder with the handle. What is there instead is given without a handle
// (File, Link), Failed when it can be neither opened nor made (GetLastError
// says why).
OpenedFile openOrMakeFolder(HANDLE folder, const std::wstring& name, DWORD access);

// Opens a full path ("X:\...") part by part from the drive root, each part
// in the handle of the one above it. A link on the way gives Link without a
// handle; the last part is opened as openInFolder does. Anything but a full
// path on a drive gives Failed.
OpenedFile openWithoutLinks(const std::wstring& path, DWORD access);

// The folder of the full path `path`, opened as openWithoutLinks opens it
// with `access`, and the path's last part in `name`. Failed for a path with
// no folder part or no last part.
OpenedFile openParentWithoutLinks(const std::wstring& path, std::wstring& name, DWORD access);

struct FolderEntry {
    std::wstring name;
    DWORD attributes;
};
// The entries of an opened folder (opened with FILE_LIST_DIRECTORY), "." and
// ".." left out. False when it cannot be listed.
bool listFolder(HANDLE folder, std::vector<FolderEntry>& entries);

// Deletes what the handle (opened with DELETE) is: a file, an empty folder,
// a link itself. A read-only file and a folder with entries stay (false).
bool deleteByHandle(HANDLE file);

// Renames what the handle (opened with DELETE) is to `name` inside the
// opened folder `folder`, over a file of that name when `replace`.
bool renameByHandle(HANDLE file, HANDLE folder, const std::wstring& name, bool replace);

// The folder part and the last part of a full path; false when the path has
// no folder part or no last part.
bool splitLastPart(const std::wstring& path, std::wstring& folder, std::wstring& name);

} // namespace nelvo
