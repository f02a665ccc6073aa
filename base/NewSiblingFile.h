#pragma once
// A file made new beside another, under a name nobody else chose: the
// elevated program writes into folders that a user may have been able to
// write to before it protected them, so a name is never opened that might
// already be there (a link planted at a predictable name would send the
// write elsewhere). Windows only.

#include <windows.h>

#include <string>

namespace nelvo {

// Calls `create(name)` with fresh names "<folder>\<prefix><n>.tmp" until it
// returns true, and returns that name. `create` must make the file only if
// the name is free (CREATE_NEW, or CopyFileW failing if it exists); a name
// that is taken is skipped, any other failure gives up. Returns "" when no
// file was made.
template <class Create>
std::wstring createNewSibling(const std::wstring& folder, const wchar_t* prefix, Create&& create) {
    static LONG counter = 0;
    const DWORD process = GetCurrentProcessId();
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        swprintf(suffix, 40, L"%lx%lx%lx.tmp", static_cast<unsigned long>(process),
                 static_cast<unsigned long>(GetTickCount()), static_cast<unsigned long>(InterlockedIncrement(&counter)));
        std::wstring name = folder + L"\\" + prefix + suffix;
        if (create(name)) return name;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

} // namespace nelvo
