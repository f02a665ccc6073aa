#pragma once
// What the payload's stand-in programs share: the folder they run from and
// a log beside them in which they record how they were called, so that the
// tests can see that (and how) the installation ran them. Header only: the
// 64-bit device tool is built outside the 32-bit tree's libraries.

#include "base/ModulePath.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace nelvo::standin {

// The folder of the running program (or of `module`),
// with a trailing backslash; empty when the system cannot tell.
inline std::wstring moduleFolder(HMODULE module = nullptr) {
    const std::wstring path = nelvo::modulePath(module);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// The full path of the running program (or of `module`).
using nelvo::modulePath;

inline std::string toUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Where the stand-ins keep their logs and read what a test asks of them:
// the folder named by the environment variable NELVO_STANDIN_DIR (so that a
// test can keep them out of the install folder it compares), else the
// program's own folder. Ends with a backslash.
inline std::wstring standInFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"NELVO_STANDIN_DIR", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return moduleFolder();
    std::wstring out(folder, n);
    if (out.back() != L'\\' && out.back() != L'/') out += L'\\';
    return out;
}

// Appends one line (UTF-8, "\n") to the file `name` in standInFolder().
// Several programs may append at once: every write goes to the end.
inline bool appendLog(std::wstring_view name, std::wstring_view line) {
    const std::wstring path = standInFolder() + std::wstring(name);
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::string bytes = toUtf8(line) + "\n";
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

// The arguments after the program name, joined by `separator`.
inline std::wstring joinArguments(int argc, wchar_t** argv, std::wstring_view separator) {
    std::wstring out;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) out += separator;
        out += argv[i];
    }
    return out;
}

} // namespace nelvo::standin
