#pragma once
// A file made new beside another, under a name nobody else chose: the
// elevated program writes into folders that a user may have been able to
// write to, so a name is never opened that might already be there (a link
// planted at a name would send the write elsewhere), and no name can be
// guessed ahead: 128 bits from the system's random generator. Windows only.

#include <windows.h>

#include <string>

namespace nelvo {

// "<prefix><32 hex digits>.tmp", the digits from the system's random
// generator; "" when the generator fails.
std::wstring randomFileName(const wchar_t* prefix);
// The same inside `folder`: "<folder>\<random file name>".
std::wstring randomSiblingName(const std::wstring& folder, const wchar_t* prefix);

// Calls `create(name)` with fresh random names (randomSiblingName) until it
// returns true, and returns that name. `create` must make the file only if
// the name is free (CREATE_NEW, or CopyFileW failing if it exists); a name
// that is taken is skipped, any other failure gives up. Returns "" when no
// file was made.
template <class Create>
std::wstring createNewSibling(const std::wstring& folder, const wchar_t* prefix, Create&& create) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::wstring name = randomSiblingName(folder, prefix);
        if (name.empty()) return {};
        if (create(name)) return name;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

} // namespace nelvo
