#include "script/SystemRestart.h"

#include "base/UniqueHandle.h"
#include "base/UserQuestion.h"

#include <cwchar>

namespace nelvo {

namespace {

constexpr wchar_t kPrivilegeFailedText[] = L"重启电脑失败，原因：提升权限失败。请手动重启电脑。";

bool systemEnableShutdownPrivilege() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        token.release();
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    return true;
}

bool systemRestart(DWORD* error) {
    if (ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0)) return true;
    *error = GetLastError();
    return false;
}

void systemShowMessage(const wchar_t* text) { askUser(nullptr, text, L"错误", MB_OK); }

constexpr RestartCalls kSystemCalls{systemEnableShutdownPrivilege, systemRestart, systemShowMessage};

const RestartCalls* g_calls = &kSystemCalls;

} // namespace

const RestartCalls& systemRestartCalls() { return kSystemCalls; }

const RestartCalls& currentRestartCalls() { return *g_calls; }

void setRestartCalls(const RestartCalls* calls) { g_calls = calls ? calls : &kSystemCalls; }

std::wstring restartFailedText(DWORD error) {
    wchar_t text[32] = {};
    const int n = std::swprintf(text, 32, L"重启电脑失败，原因：%d。 请手动重启电脑。", static_cast<int>(error));
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

void requestRestart(const RestartCalls& calls) {
    if (!calls.enableShutdownPrivilege()) {
        calls.showMessage(kPrivilegeFailedText);
        return;
    }
    DWORD error = 0;
    if (calls.restart(&error)) return;
    const std::wstring text = restartFailedText(error);
    calls.showMessage(text.c_str());
}

} // namespace nelvo
