// Processes, and the programs listed in the running-programs block.

#include "script/LuaConvert.h"
#include "script/ProcessSnapshot.h"
#include "script/RunningProgramsBlock.h"
#include "script/SystemBindings.h"

namespace nelvo::bindings {

namespace {

// Exit code of a process ended by killProcess: 0xFFFFFFF8.
constexpr UINT kKilledExitCode = static_cast<UINT>(-8);
constexpr DWORD kKillWaitMs = 10000;

// The file name part of a path.
std::wstring_view fileNameOf(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// Whether `image` lies in one of `folders` (each ending with "\\") or
// below it.
bool liesIn(const std::wstring& image, const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders)
        if (image.size() > folder.size() && sameFileName(std::wstring_view(image).substr(0, folder.size()), folder))
            return true;
    return false;
}

// Ends every process whose executable file name equals `name` and whose
// image lies in one of `folders`, without waiting for any of them.
void endProgramsNamed(std::wstring_view name, const std::vector<std::wstring>& folders) {
    const std::wstring text(name);
    OutputDebugStringW(text.c_str());
    ProcessSnapshot snapshot;
    PROCESSENTRY32W entry;
    while (snapshot.next(entry)) {
        if (!sameFileName(entry.szExeFile, name)) continue;
        UniqueKernelHandle process(
            OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
        if (process && liesIn(processImagePath(process.get()), folders)) TerminateProcess(process.get(), 0);
    }
}

} // namespace

// [-0, +0] killProcess(path)
int killProcess(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    if (path.empty()) return 0;
    ProcessSnapshot snapshot;
    PROCESSENTRY32W entry;
    while (snapshot.next(entry)) {
        // Only a process of that file name can run from the path: the others
        // are not opened.
        if (!sameFileName(entry.szExeFile, fileNameOf(path))) continue;
        UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                                               FALSE, entry.th32ProcessID));
        if (!process || !sameFileName(processImagePath(process.get()), path)) continue;
        // Wait even when the terminate request fails: a process that is
        // already on its way out refuses it, and its file stays in use until
        // it is gone.
        TerminateProcess(process.get(), kKilledExitCode);
        WaitForSingleObject(process.get(), kKillWaitMs);
    }
    return 0;
}

// [-0, +(0|1)] isProcessRunning(path) -> true or nothing
int isProcessRunning(lua_State* L) {
    const std::wstring path = argWideText(L, 1);
    if (path.empty()) return 0;
    ProcessSnapshot snapshot;
    PROCESSENTRY32W entry;
    while (snapshot.next(entry)) {
        if (!sameFileName(entry.szExeFile, fileNameOf(path))) continue;
        UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
        if (process && sameFileName(processImagePath(process.get()), path)) {
            lua_pushboolean(L, 1);
            return 1;
        }
    }
    return 0;
}

// [-0, +(0|1)] getProcessPath() -> path or nothing
int getProcessPath(lua_State* L) {
    wchar_t path[MAX_PATH + 1] = {};
    // A path that does not fit comes back cut to the buffer with the full
    // size as result; that is a failure here, not a shorter path.
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 0;
    pushWideText(L, std::wstring_view(path, n));
    return 1;
}

// [-0, +(0|1)] getRunningProcess() -> text or nothing
int getRunningProcess(lua_State* L) {
    const std::wstring text = readRunningPrograms();
    if (text.empty()) return 0;
    pushWideText(L, text);
    return 1;
}

// [-0, +0] killRunningProcess(folder...)
//
// Any program can write the running-programs block, so it only names the
// programs to look for: a process of a listed name (then Nelvo.exe) is
// ended only when its image lies in one of the folders given (the install
// folder, the codecs folder). Without a folder nothing is ended.
int killRunningProcess(lua_State* L) {
    std::vector<std::wstring> folders;
    for (int i = 1; i <= lua_gettop(L); ++i) {
        if (lua_type(L, i) != LUA_TSTRING) continue;
        std::wstring folder = argWideText(L, i);
        if (folder.size() < 3) continue;
        if (folder.back() != L'\\') folder += L'\\';
        folders.push_back(std::move(folder));
    }
    const std::vector<std::wstring> entries = RunningProgramsBlock::entries(readRunningPrograms());
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        OutputDebugStringW(it->c_str());
        endProgramsNamed(programFileName(*it), folders);
    }
    endProgramsNamed(L"Nelvo.exe", folders);
    return 0;
}

} // namespace nelvo::bindings
