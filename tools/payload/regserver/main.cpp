// nelvodumper.dll and Nelvo.ax: stand-ins for the product's crash-dump
// library and its camera filter. Registering one (regsvr32) makes it the
// in-process server of its class:
//   HKCR\CLSID\<class>                      (default) = the friendly name
//   HKCR\CLSID\<class>\InprocServer32       (default) = this library's path
//                                           ThreadingModel = "Both"
// and unregistering removes HKCR\CLSID\<class> with everything below it.
// The class and the name come from the build (NELVO_SERVER_CLSID,
// NELVO_SERVER_NAME). The library serves no objects. When the stand-ins'
// folder holds "register-delay.txt", its number is the seconds a
// registration takes.

#include "tools/payload/common/StandIn.h"

#include <windows.h>
#include <olectl.h>

#include <string>

#if !defined(NELVO_SERVER_CLSID) || !defined(NELVO_SERVER_NAME)
#error "NELVO_SERVER_CLSID and NELVO_SERVER_NAME name the class"
#endif

namespace {

HMODULE g_module = nullptr;

const std::wstring kClassKey = std::wstring(L"CLSID\\") + NELVO_SERVER_CLSID;

bool setString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool writeKey(const std::wstring& path, const wchar_t* name, const std::wstring& value,
              const wchar_t* name2 = nullptr, const std::wstring& value2 = {}) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = setString(key, name, value);
    if (ok && name2) ok = setString(key, name2, value2);
    RegCloseKey(key);
    return ok;
}

// The seconds of register-delay.txt in NELVO_STANDIN_DIR, else beside this
// library (not beside regsvr32, which loads it); 0 without one.
int registrationDelay() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"NELVO_STANDIN_DIR", folder, MAX_PATH);
    std::wstring path = n > 0 && n < MAX_PATH ? std::wstring(folder, n) + L"\\" : nelvo::standin::moduleFolder(g_module);
    path += L"register-delay.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char text[16] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return atoi(text);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
    const int delay = registrationDelay();
    if (delay > 0) Sleep(static_cast<DWORD>(delay) * 1000);
    const std::wstring path = nelvo::standin::modulePath(g_module);
    if (path.empty()) return SELFREG_E_CLASS;
    if (!writeKey(kClassKey, nullptr, NELVO_SERVER_NAME) ||
        !writeKey(kClassKey + L"\\InprocServer32", nullptr, path, L"ThreadingModel", L"Both"))
        return SELFREG_E_CLASS;
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_OK; }

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
