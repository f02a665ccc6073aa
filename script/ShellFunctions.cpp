// Starting programs through the shell, shell links and the owner-less
// message box.

#include "base/ComPtr.h"
#include "base/LibrarySearch.h"
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

std::wstring currentFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD n = GetCurrentDirectoryW(DWORD(folder.size()), folder.data());
    if (n >= folder.size()) {
        folder.resize(n);
        n = GetCurrentDirectoryW(DWORD(folder.size()), folder.data());
    }
    if (n == 0 || n >= folder.size()) return {};
    folder.resize(n);
    if (folder.back() == L'\\') folder.pop_back();
    return folder;
}

// The full path of the file to start (see shellExecuteEx); empty when
// there is none to start.
std::wstring programPath(const std::wstring& file) {
    if (file.empty()) return {};
    const bool bare = file.find_first_of(L"\\/:") == std::wstring::npos;
    if (!bare) {
        // A path: a relative one is taken from the current folder, by name.
        const bool absolute = file.size() > 2 && (file[1] == L':' || (file[0] == L'\\' && file[1] == L'\\'));
        if (absolute) return file;
        const std::wstring folder = currentFolder();
        return folder.empty() ? std::wstring() : folder + L"\\" + file;
    }
    const std::wstring name = file.find(L'.') == std::wstring::npos ? file + L".exe" : file;
    for (const std::wstring& folder : {systemFolder(), windowsFolder(), currentFolder()}) {
        if (folder.empty()) continue;
        const std::wstring path = folder + L"\\" + name;
        if (isFile(path)) return path;
    }
    return {};
}

} // namespace

// [-0, +(1|2)] shellExecuteEx(file, parameters, verb, show, mask) -> boolean [, exit code]
//
// Nothing is started by a name that the shell would look up: the shell
// searches the program's own folder first, a download folder that anyone
// may write to, then the system's search path. A bare program name (no
// folder separator, no drive), with ".exe" added when it has no extension,
// starts the file of that name in the system folder, else in the Windows
// folder, else in the current folder, by its full path; "regsvr32" and
// "explorer" are always the system's, the payload's tools (the install
// script makes the install folder current) the installation's. A bare name
// found in none of them starts nothing and gives false. A relative path is
// taken from the current folder; a full path is started as it is.
int shellExecuteEx(lua_State* L) {
    const std::wstring file = programPath(argWideText(L, 1));
    if (file.empty()) {
        lua_pushboolean(L, false);
        return 1;
    }
    const std::wstring parameters = argWideText(L, 2);
    const std::wstring verb = argWideText(L, 3);
    const int show = argInteger(L, 4);
    const ULONG mask = static_cast<ULONG>(argInteger(L, 5));

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = mask | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = nullptr;
    info.nShow = show;
    const bool started = ShellExecuteExW(&info);
    // Whatever the mask, a process handle that came back is ours to close.
    UniqueKernelHandle process(started ? info.hProcess : nullptr);
    lua_pushboolean(L, started);
    if (!started || !(mask & SEE_MASK_NOCLOSEPROCESS) || !process) return 1;

    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) return 1;
    pushInteger(L, static_cast<int32_t>(exitCode));
    return 2;
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
