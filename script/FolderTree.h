#pragma once
// Creating and removing folder trees, and the empty-folder test, written
// against a small set of file-system operations so that tests can replay
// cases the host file system cannot make (a junction where the system has
// none, a folder swapped for a junction in the middle of a walk).
// systemFolderOps() is the real file system. Any thread.

#include "base/FileHandles.h"

#include <windows.h>

#include <cstdint>
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
    // An opened file or folder (the real file system: its handle); 0 is none.
    using Node = uintptr_t;

    // By name, for the emptiness test:
    // The attributes of what the path names (a link's own attributes, not
    // its target's), or INVALID_FILE_ATTRIBUTES when nothing is there.
    virtual DWORD attributes(const std::wstring& path) = 0;
    // The entries of a folder, "." and ".." included when the system lists
    // them. False when the folder cannot be listed.
    virtual bool list(const std::wstring& folder, std::vector<Entry>& entries) = 0;

    // For making folders (base/FileHandles.h): opens, as itself, the folder
    // `name` inside the opened folder `parent`, and makes it when nothing is
    // there; with parent 0, `name` is a drive root ("X:\"). `kind` says what
    // is there; the node comes only with a Folder.
    virtual Node makeFolder(Node parent, const std::wstring& name, FileKind& kind) = 0;

    // Through what was opened, for removing (base/FileHandles.h):
    // Opens, as itself and for deleting, `name` inside the opened folder
    // `parent`, or with parent 0 the full path `name` with no link on its
    // way. `kind` says what was found; a Link comes with a node only when
    // the node is the link itself.
    virtual Node open(Node parent, const std::wstring& name, FileKind& kind) = 0;
    // The entries of an opened folder, without "." and "..".
    virtual bool listOpened(Node folder, std::vector<Entry>& entries) = 0;
    // Deletes what the node is: a file, an empty folder, a link itself.
    virtual bool remove(Node node) = 0;
    virtual void close(Node node) = 0;

protected:
    ~FolderOps() = default;
};

FolderOps& systemFolderOps();

// Creates the folder and every missing folder above it, one part at a time
// from the drive root, each inside the handle of the one above it and never
// through a link: a link (or a file) anywhere on the path ends the walk, and
// nothing is made below it. The path is made full against the current
// folder first; "/" counts as "\", and doubled and trailing separators do
// not count. True when the walk reached the whole path as a folder; on
// false GetLastError says why (ERROR_ALREADY_EXISTS: a file in a folder's
// place, ERROR_ACCESS_DENIED: a link on the way).
bool createFolderPath(std::wstring_view path, FolderOps& ops = systemFolderOps());

// Deletes the folder with everything in it, as far as it can. The walk opens
// the path with no link on its way, then each entry inside the handle of its
// folder, as itself; what the handle is (not what the listing said) decides
// whether it is entered, and the delete goes through that handle. So a
// folder swapped for a link after the listing is never entered: a link met
// anywhere is removed itself when its handle is the link (and left when the
// system could only open what it points to), and nothing outside the tree
// is touched. Read-only files stay (their attributes are not cleared), and
// so do the folders that hold them. A path through a link removes nothing;
// an empty path does nothing.
void removeFolderTree(std::wstring_view path, FolderOps& ops = systemFolderOps());

// True when nothing exists at the path, or when it is a folder with no
// entries besides "." and "..". A file gives false.
bool folderEmptyOrAbsent(std::wstring_view path, FolderOps& ops = systemFolderOps());

} // namespace nelvo
