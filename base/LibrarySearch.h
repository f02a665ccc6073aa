#pragma once
// Where this process takes its libraries from: the system folder only.
//
// The setup program runs elevated from a folder that anyone may write to (a
// download folder), and it makes other folders current. A library loaded by
// bare name is looked for in the program's own folder first and, on older
// systems, in the current folder: a file planted there under a system name
// would run with our rights. So the process restricts the search once, first
// thing in its entry, and loads each library it asks for at run time by its
// full path in the system folder. Any thread after the entry has run.

#include <windows.h>

#include <string>

namespace nelvo {

// Restricts the search for every library loaded later, also those that
// system components load on their own, to the system folder, where the
// system can do so (SetDefaultDllDirectories: Windows 8 and later, Vista and
// 7 with the loader update); otherwise it removes the current folder from
// the search. In both cases it then loads, from the system folder, the
// libraries that system components load late by bare name, so that those
// later loads find them loaded already. Call it as the first statement of
// the process entry, before anything else can load a library.
void hardenLibrarySearch();

// The system folder (for a 32-bit program on a 64-bit system, the one the
// system redirects to its 32-bit libraries), without a trailing separator;
// empty when the system does not say.
std::wstring systemFolder();

// Loads `name`, a bare file name such as L"msimg32.dll", from the system
// folder by its full path. Null when it is not there; the caller owns the
// reference (FreeLibrary).
HMODULE loadSystemLibrary(const wchar_t* name);

// The common controls, loaded on first use and kept for the life of the
// process; null when they cannot be loaded. They are the one library asked
// for by bare name: the program's manifest asks for version 6, which the
// system hands out from its side-by-side store only for that name. Loaded
// at run time, not imported, because an import is loaded (with whatever it
// loads in turn) before the process entry can restrict the search.
HMODULE commonControlsLibrary();

} // namespace nelvo
