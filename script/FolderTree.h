#pragma once
// Creating and removing folder trees, and the empty-folder test, written
// against a small set of file-system operations so that tests can replay
// cases the host file system cannot make (a junction where the system has
// none). systemFolderOps() is the real file system. Any thread.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class FolderOps {
public:
    struct Entry {
        std::wstring name;
        DWORD attributes;
    };
    // The attributes of what the path names (a link's own attributes, not
    // its target's), or INVALID_FILE_ATTRIBUTES when nothing is there.
    virtual DWORD attributes(const std::wstring& path) = 0;
    // The entries of a folder, "." and ".." included when the system lists
    // them. False when the folder cannot be listed.
    virtual bool list(const std::wstring& folder, std::vector<Entry>& entries) = 0;
    virtual bool createFolder(const std::wstring& path) = 0;
    // Removes an empty folder, or a folder link itself.
    virtual bool removeFolder(const std::wstring& path) = 0;
    // Deletes a file (or a file link itself) without touching its attributes.
    virtual bool deleteFile(const std::wstring& path) = 0;

protected:
    ~FolderOps() = default;
};

FolderOps& systemFolderOps();

// Creates the folder and every missing folder above it. "/" counts as "\";
// empty parts (doubled, leading, trailing separators) are dropped, so a path
// whose first part is not a drive is made relative to the current folder.
// True when the path names an existing folder afterwards.
bool createFolderPath(std::wstring_view path, FolderOps& ops = systemFolderOps());

// Deletes the folder with everything in it, as far as it can. Read-only
// files stay (their attributes are not cleared), and so do the folders that
// hold them. A link to a folder (junction or symbolic link) is removed
// itself and never entered, so nothing outside the tree is touched, also
// when the path names the link with a separator after it. An empty path does
// nothing: listing "\*" would start at the root of the drive.
void removeFolderTree(std::wstring_view path, FolderOps& ops = systemFolderOps());

// True when nothing exists at the path, or when it is a folder with no
// entries besides "." and "..". A file gives false.
bool folderEmptyOrAbsent(std::wstring_view path, FolderOps& ops = systemFolderOps());

} // namespace nelvo
