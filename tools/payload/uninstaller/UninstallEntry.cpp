#include "tools/payload/uninstaller/UninstallEntry.h"

#include "tools/payload/uninstaller/RemovalProcess.h"

#include <windows.h>

#include <vector>

namespace nelvo::uninstall {

std::wstring commandProgram(std::wstring_view text) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == L'"') {
        text.remove_prefix(1);
        const size_t close = text.find(L'"');
        return std::wstring(close == std::wstring_view::npos ? text : text.substr(0, close));
    }
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    return std::wstring(text);
}

std::wstring recordedInstallFolder() {
    constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo";
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, L"UninstallString", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t))
        return {};
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1);
    bytes = DWORD(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, L"UninstallString", RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return {};
    const std::wstring program = commandProgram(value.data());
    // Only a full path names a folder; a bare name would be searched for.
    if (program.size() < 4 || program[1] != L':' || program[2] != L'\\') return {};
    return folderOf(program);
}

bool sameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() &&
           CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace nelvo::uninstall
