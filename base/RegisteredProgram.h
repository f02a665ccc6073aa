#pragma once
// Programs that the system registers by file name under App Paths in the
// machine's part of the registry, which only administrators can write. Any
// thread.

#include <string>

namespace nelvo {

// The full path registered for `fileName` (such as L"IEXPLORE.EXE"), with
// its quotes removed and environment strings expanded, when it names an
// existing file by a full path; empty otherwise. Starting the program by this
// path, never by its bare name, keeps a file of that name in the current
// folder (a download folder) from being started instead.
std::wstring registeredProgramPath(const wchar_t* fileName);

} // namespace nelvo
