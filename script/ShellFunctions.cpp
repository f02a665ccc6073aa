// Starting programs, whether the install folder is fit to start them from,
// shell links and the owner-less message box.

#include "base/ComPtr.h"
#include "base/LibrarySearch.h"
#include "base/ProtectedAccess.h"
#include "base/RunLog.h"
#include "base/UniqueHandle.h"
#include "base/UserQuestion.h"
#include "script/LuaConvert.h"
#include "script/SystemBindings.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace nelvo::bindings {

namespace {

// CoInitializeEx / CoUninitialize, balanced: a thread already in another
// apartment gets RPC_E_CHANGED_MODE and must not be uninitialised.
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

std::wstring windowsFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::wstring(path, n);
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFullPath(const std::wstring& file) {
    return file.size() > 3 && ((file[1] == L':' && (file[2] == L'\\' || file[2] == L'/')) ||
                               (file[0] == L'\\' && file[1] == L'\\'));
}

// The full path of the program to start (see shellExecuteEx); empty when
// there is none to start.
std::wstring programPath(const std::wstring& file) {
    if (file.empty()) return {};
    if (file.find_first_of(L"\\/:") != std::wstring::npos)
        return isFullPath(file) && isFile(file) ? file : std::wstring();
    const std::wstring name = file.find(L'.') == std::wstring::npos ? file + L".exe" : file;
    for (const std::wstring& folder : {systemFolder(), windowsFolder()}) {
        if (folder.empty()) continue;
        const std::wstring path = folder + L"\\" + name;
        if (isFile(path)) return path;
    }
    return {};
}

const char* trustName(FolderTrust trust) {
    switch (trust) {
    case FolderTrust::Protected: return "protected";
    case FolderTrust::Placeable: return "new";
    case FolderTrust::OthersCanChange: return "changeable";
    case FolderTrust::OthersCanMove: return "movable";
    }
    return "changeable";
}

} // namespace

// [-0, +(1|2)] shellExecuteEx(file, parameters, verb, show, mask) -> boolean [, exit code]
//
// Starts a program with CreateProcessW, never through the shell, whose
// association for programs an elevated process would take from the user's
// part of the registry too. The application name is a full path and the
// command line that path in quotes, then the parameters as given: nothing
// is looked up by a name that the system would search for. A bare program
// name (no folder separator, no drive), with ".exe" added when it has no
// extension, is the system's: the file of that name in the system folder,
// else in the Windows folder ("regsvr32", "explorer"). A full path is
// started as it is (the payload's tools, from the install folder). A
// relative path, and a bare name found in neither folder, start nothing and
// give false. The verb is not used; the show state goes to the program;
// with SEE_MASK_NOCLOSEPROCESS (64) the call waits and gives the exit code.
int shellExecuteEx(lua_State* L) {
    const std::wstring file = programPath(argWideText(L, 1));
    if (file.empty()) {
        lua_pushboolean(L, false);
        return 1;
    }
    const std::wstring parameters = argWideText(L, 2);
    const int show = argInteger(L, 4);
    const ULONG mask = static_cast<ULONG>(argInteger(L, 5));

    std::wstring commandLine = L"\"" + file + L"\"";
    if (!parameters.empty()) commandLine += L" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        RunLog::write("failure", L"cannot start " + commandLine + L": " + std::to_wstring(GetLastError()));
        lua_pushboolean(L, false);
        return 1;
    }
    RunLog::write("program", commandLine);
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    lua_pushboolean(L, true);
    if (!(mask & SEE_MASK_NOCLOSEPROCESS)) return 1;

    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) return 1;
    RunLog::write("program", L"exit " + std::to_wstring(static_cast<int32_t>(exitCode)) + L": " + file);
    pushInteger(L, static_cast<int32_t>(exitCode));
    return 2;
}

// [-0, +1] installFolderTrust(path) -> "protected" | "new" | "changeable" | "movable"
//
// base/FolderTrust.h over the disk: whether the folder may hold programs
// that administrators run. "protected": it exists and only administrators
// can change it and all it holds; "new": it does not exist and the folders
// above are sound; "changeable": it or something in it is another's or
// open to others; "movable": a folder above lets others move it.
int installFolderTrust(lua_State* L) {
    lua_pushstring(L, trustName(nelvo::installFolderTrust(argWideText(L, 1))));
    return 1;
}

// [-0, +1] createShortCut(target, link file) -> boolean
int createShortCut(lua_State* L) {
    const std::wstring target = argWideText(L, 1);
    const std::wstring linkFile = argWideText(L, 2);
    const ComApartment apartment;
    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid());
    if (SUCCEEDED(hr)) {
        link->SetPath(target.c_str());
        ComPtr<IPersistFile> file;
        hr = link.query(IID_IPersistFile, file);
        if (SUCCEEDED(hr)) hr = file->Save(linkFile.c_str(), TRUE);
    }
    lua_pushboolean(L, SUCCEEDED(hr));
    return 1;
}

// [-0, +1] showMessageBox(text, caption, type[, silentAnswer]) -> pressed
// button; an unattended run shows no box and answers silentAnswer (else the
// safe one)
int showMessageBox(lua_State* L) {
    const std::wstring text = argWideText(L, 1);
    const std::wstring caption = argWideText(L, 2);
    const UINT type = static_cast<UINT>(argInteger(L, 3));
    pushInteger(L, askUser(nullptr, text, caption, type, argInteger(L, 4)));
    return 1;
}

} // namespace nelvo::bindings
