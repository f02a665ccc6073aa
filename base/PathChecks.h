#pragma once
// Two checks of a path that elevated code makes before it acts on it,
// written over the PathProbe seam.
//
// passesThroughLink: a delete, move, copy or write of the elevated program
// must act on the place its path names. A link on the way (a junction or
// symbolic link, also the last part itself) would send it to a place the
// link's maker chose, such as a system file. Every operation that deletes,
// moves, copies or writes on a path that someone else could have shaped
// asks this first, once, and reports a refusal as its own failure.
//
// isSystemPath: the install folder must not be the Windows folder, a system
// folder, anything inside them, or a drive root. Compared by where the path
// really leads: short names, case, "..", and links on the way do not hide a
// protected folder.
//
// Both check what is on disk when they are asked; what changes afterwards
// is left to the access lists of the folders involved.

#include "base/PathProbe.h"

#include <string>
#include <vector>

namespace nelvo {

// True when the path cannot be shown to be free of links: a part of it
// below the drive root (the last part included) is a link, what the
// deepest existing part reaches is not that part itself, or the path does
// not start with a drive ("X:\").
bool passesThroughLink(const std::wstring& path, PathProbe& probe = systemPathProbe());

// The system's protected folders: the Windows folder (the system's, and the
// user's where they differ), the system folder and the 32-bit system folder
// of a 64-bit system.
std::vector<std::wstring> systemFolders();

// True when the path is a drive root, or lies in or is one of `folders`.
bool isSystemPath(const std::wstring& path, const std::vector<std::wstring>& folders = systemFolders(),
                  PathProbe& probe = systemPathProbe());

} // namespace nelvo
