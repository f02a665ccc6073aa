// Process entry of the setup program: the guards, then every subsystem
// brought up in order, the wizard script run to its end, and everything torn
// down in reverse. The exit code is 0 on every path.

#include "base/LibrarySearch.h"
#include "base/StartupPhases.h"
#include "dui/controls/ShippedControls.h"
#include "host/InstanceMutex.h"
#include "host/LeftOverRun.h"
#include "host/PayloadCheck.h"
#include "host/RestartMarker.h"
#include "host/WizardRun.h"
#include "store/IntegrityCheck.h"
#include "store/ResourceFileSystem.h"
#include "store/ResourceIds.h"

#include <windows.h>

namespace {

constexpr wchar_t kDamaged[] = L"安装程序文件已损坏，请重新下载安装程序后再运行。";

void notice(const wchar_t* text, HWND owner = nullptr) { MessageBoxW(owner, text, L"提示", MB_OK); }

nelvo::PayloadCheck* g_payloadCheck = nullptr;

// Before the worker writes anything: a damaged payload ends the program with
// the same box as a damaged resource at start-up. The wizard's dialog ends
// on the quit message; the script has nothing left to do after it then.
bool payloadIntact() {
    if (!g_payloadCheck || g_payloadCheck->intact()) return true;
    notice(kDamaged, GetActiveWindow());
    PostQuitMessage(0);
    return false;
}

// A timer message comes only when no window of the thread waits to be
// painted: the first time, once the wizard's window has been painted.
void CALLBACK startPayloadCheck(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_payloadCheck) g_payloadCheck->start();
}

void runSetup() {
    using namespace nelvo;

    ResourceFileSystem store(GetModuleHandleW(nullptr));
    registerSetupResources(store);
    // Destroyed before the store: its thread reads the store's source.
    PayloadCheck payload(GetModuleHandleW(nullptr), NELVO_RES_PROGRAM_LZ, store);
    g_payloadCheck = &payload;
    SetTimer(nullptr, 0, 0, &startPayloadCheck);
    setCurrentFileSystem(&store);
    runWizard(store, u"UI.lua", registerSetupControls, nullptr, &payloadIntact);
    releaseInstanceMutex();
    setCurrentFileSystem(nullptr);
    g_payloadCheck = nullptr;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Loads no library: the search is restricted right after.
    nelvo::StartupPhases::begin();
    nelvo::hardenLibrarySearch();
    nelvo::StartupPhases::mark("library hardening");
    if (nelvo::acquireInstanceMutex() == nelvo::InstanceGuard::AlreadyRunning) {
        notice(L"检测到Quent安装或卸载程序正在运行，请结束后重试。");
        return 0;
    }
    // Before anything else: a run that was killed is taken back first.
    nelvo::finishLeftOverRun();
    // The mutex stays held on this path; the process's end releases it.
    if (nelvo::restartPending()) {
        notice(L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
        return 0;
    }
    nelvo::StartupPhases::mark("instance guards");
    // A damaged download is refused before anything is shown or written;
    // the payload's digest is checked while the first pages show and asked
    // for before the installation starts (payloadIntact).
    if (!nelvo::resourcesIntact(GetModuleHandleW(nullptr), NELVO_RES_PROGRAM_LZ)) {
        notice(kDamaged);
        return 0;
    }
    nelvo::StartupPhases::mark("integrity check");
    try {
        runSetup();
    } catch (...) {
        // Nothing more can be done for the user than to end quietly.
    }
    return 0;
}
