#include "base/LibrarySearch.h"

namespace nelvo {
namespace {

// Libraries that the window manager, the common controls, the shell and the
// security functions load on their own, late and by bare name, and that are
// not known libraries the loader always takes from the system folder:
//   uxtheme   the theme engine, with the first window
//   dwmapi    desktop composition, for the theme engine and round windows
//   version   file version queries of the shell and the compatibility layer
//   propsys   the shell's property store, when it starts programs and links
//   profapi, userenv
//             profile and special folder paths of the shell
//   cryptbase, sspicli
//             random numbers and security support behind advapi32 on 7
//   ntmarta   security information of kernel objects (the low integrity
//             label of the running-programs block)
//   oleacc    accessibility, for the common controls' tooltips
//   msimg32   alpha blending, which the common controls of version 6
//             import: loaded with them for the wizard's tooltips and for
//             the icon of a message box
// One that a system lacks (Vista has no cryptbase or sspicli) is skipped.
const wchar_t* const kLateLibraries[] = {
    L"uxtheme.dll", L"dwmapi.dll",    L"version.dll", L"propsys.dll", L"profapi.dll",
    L"userenv.dll", L"cryptbase.dll", L"sspicli.dll", L"ntmarta.dll", L"oleacc.dll", L"msimg32.dll",
};

// Whether the system keeps every search in the system folder. Set once by
// the process entry, before any other thread exists.
bool g_searchRestricted = false;

} // namespace

std::wstring systemFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::wstring(path, n);
}

HMODULE loadSystemLibrary(const wchar_t* name) {
    const std::wstring folder = systemFolder();
    if (folder.empty()) return nullptr;
    // A full path is looked for nowhere else. The libraries it imports are
    // searched for in the system folder alone when the search is restricted;
    // otherwise the altered order puts its own folder, the system folder,
    // first instead of the program's.
    const std::wstring path = folder + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, g_searchRestricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE commonControlsLibrary() {
    static const HMODULE module = LoadLibraryW(L"comctl32.dll");
    return module;
}

void hardenLibrarySearch() {
    using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        g_searchRestricted = true;
    else
        SetDllDirectoryW(L"");

    // Without the restriction the program's own folder stays first in the
    // search; and some loaders resolve the delayed imports of system
    // components through the search path the process started with, not the
    // restricted one (Wine does). What those components would load late by
    // bare name is therefore loaded now, by full path, so that a later load
    // finds it loaded. These references are kept for the life of the process.
    for (const wchar_t* name : kLateLibraries) (void)loadSystemLibrary(name);
}

} // namespace nelvo
