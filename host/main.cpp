// Process entry of the setup program: the guards, then every subsystem
// brought up in order, the wizard script run to its end, and everything torn
// down in reverse. The exit code is 0 on every path.

#include "base/LibrarySearch.h"
#include "base/StartupPhases.h"
#include "host/InstanceMutex.h"
#include "host/RestartMarker.h"
#include "host/WizardRun.h"
#include "store/IntegrityCheck.h"
#include "store/ResourceFileSystem.h"

#include <windows.h>

namespace {

void notice(const wchar_t* text) { MessageBoxW(nullptr, text, L"提示", MB_OK); }

void runSetup() {
    using namespace nelvo;

    ResourceFileSystem store(GetModuleHandleW(nullptr));
    setCurrentFileSystem(&store);
    registerSetupResources(store);
    runWizard(store, u"UI.lua");
    releaseInstanceMutex();
    setCurrentFileSystem(nullptr);
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
    // The mutex stays held on this path; the process's end releases it.
    if (nelvo::restartPending()) {
        notice(L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
        return 0;
    }
    nelvo::StartupPhases::mark("instance guards");
    // A damaged download is refused before anything is shown or written.
    if (!nelvo::resourcesIntact(GetModuleHandleW(nullptr))) {
        notice(L"安装程序文件已损坏，请重新下载安装程序后再运行。");
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
