#include "script/ProcessSnapshot.h"

#include "base/LibrarySearch.h"

namespace nelvo {
namespace {

using ModuleFileNameEx = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);

// psapi.dll's own export rather than kernel32's K32 alias, which Vista
// lacks; loaded from the system folder on first use and kept for the life of
// the process, as an import would be.
ModuleFileNameEx moduleFileNameEx() {
    static const ModuleFileNameEx function = [] {
        HMODULE psapi = loadSystemLibrary(L"psapi.dll");
        return psapi ? reinterpret_cast<ModuleFileNameEx>(
                           reinterpret_cast<void*>(GetProcAddress(psapi, "GetModuleFileNameExW")))
                     : nullptr;
    }();
    return function;
}

} // namespace

ProcessSnapshot::ProcessSnapshot() : snapshot_(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}

bool ProcessSnapshot::next(PROCESSENTRY32W& entry) {
    if (!snapshot_) return false;
    entry.dwSize = sizeof entry;
    const bool more = started_ ? Process32NextW(snapshot_.get(), &entry) : Process32FirstW(snapshot_.get(), &entry);
    started_ = true;
    // The snapshot fills a fixed array; make sure the name ends inside it.
    if (more) entry.szExeFile[MAX_PATH - 1] = L'\0';
    return more;
}

std::wstring processImagePath(HANDLE process) {
    const ModuleFileNameEx function = moduleFileNameEx();
    if (!function) return {};
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = function(process, nullptr, path, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return {};
    return std::wstring(path, n);
}

bool sameFileName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

} // namespace nelvo
