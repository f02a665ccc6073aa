// What an attacker would plant beside the setup program: built as a library
// (msimg32.dll, uxtheme.dll) and as a program (regsvr32.exe and
// a tool of no system name). Each leaves a marker file next to itself, named
// after its own file with ".loaded" (a library, when it is loaded) or
// ".started" (a program) appended, and does nothing else. The program exits
// with 91, a code no system program gives for the calls the tests make.

#include <windows.h>

namespace {

void leaveMarker(HMODULE self, const wchar_t* suffix) {
    wchar_t path[MAX_PATH + 16] = {};
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    lstrcpyW(path + n, suffix);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

} // namespace

#ifdef NELVO_PLANTED_PROGRAM
int wmain() {
    leaveMarker(nullptr, L".started");
    return 91;
}
#else
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) leaveMarker(self, L".loaded");
    return TRUE;
}
#endif
