#include "base/RegisteredProgram.h"

#include <windows.h>

namespace nelvo {

std::wstring registeredProgramPath(const wchar_t* fileName) {
    const std::wstring key = std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + fileName;
    wchar_t value[MAX_PATH + 2] = {};
    DWORD size = sizeof value;
    // RRF_RT_REG_SZ also takes a REG_EXPAND_SZ value, expanded.
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    std::wstring path(value);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    // A drive and a separator: a relative value would be searched for again.
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return {};
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return path;
}

} // namespace nelvo
