#pragma once
// The full path of the file a module was loaded from (the running program's
// for null), however long; empty when the system cannot tell. Header only:
// the payload's 64-bit device tool uses it outside the tree's libraries.
// Windows only.

#include <windows.h>

#include <string>

namespace nelvo {

inline std::wstring modulePath(HMODULE module = nullptr) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), DWORD(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        // Cut off: the longest path the system has is 32767 units.
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

} // namespace nelvo
