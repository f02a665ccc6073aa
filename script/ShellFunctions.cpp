// Starting programs through the shell, shell links and the owner-less
// message box.

#include "host/UniqueHandle.h"
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

// Releases a COM interface at scope end.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    void** put() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

} // namespace

// [-0, +(1|2)] shellExecuteEx(file, parameters, verb, show, mask) -> boolean [, exit code]
int shellExecuteEx(lua_State* L) {
    const std::wstring file = argWideText(L, 1);
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
    ComRef<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put());
    if (SUCCEEDED(hr)) {
        link->SetPath(target.c_str());
        ComRef<IPersistFile> file;
        hr = link->QueryInterface(IID_IPersistFile, file.put());
        if (SUCCEEDED(hr)) hr = file->Save(linkFile.c_str(), TRUE);
    }
    lua_pushboolean(L, SUCCEEDED(hr));
    return 1;
}

// [-0, +1] showMessageBox(text, caption, type) -> pressed button
int showMessageBox(lua_State* L) {
    const std::wstring text = argWideText(L, 1);
    const std::wstring caption = argWideText(L, 2);
    const UINT type = static_cast<UINT>(argInteger(L, 3));
    pushInteger(L, MessageBoxW(nullptr, text.c_str(), caption.c_str(), type));
    return 1;
}

} // namespace nelvo::bindings
