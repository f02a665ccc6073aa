#pragma once
// Where the test programs find the build's outputs under Wine: the NELVO_OUT
// environment variable holds the Unix path of out/, reached through drive Z:.

#include <windows.h>

#include <string>

namespace nelvo::test {

inline std::wstring unixToWindows(const std::wstring& path) {
    std::wstring w = L"Z:" + path;
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

// out/ as a Windows path, without a trailing separator.
inline std::wstring outDir() {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(L"NELVO_OUT", buf, 1024);
    if (n == 0 || n >= 1024) return L".";
    return unixToWindows(std::wstring(buf, n));
}

inline std::wstring screenshotDir() { return outDir() + L"\\screenshots"; }

} // namespace nelvo::test
