// Process entry of the setup program: the guards, then every subsystem
// brought up in order, the wizard script run to its end, and everything torn
// down in reverse. The exit code is 0 on every path.

#include "dui/Framework.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "host/InstanceMutex.h"
#include "host/LibrarySearch.h"
#include "host/ResourceFileSystem.h"
#include "host/RestartMarker.h"
#include "script/LuaHost.h"

#include <ole2.h>
#include <windows.h>

namespace {

void notice(const wchar_t* text) { MessageBoxW(nullptr, text, L"提示", MB_OK); }

// Keeps OleInitialize paired with OleUninitialize; a failed initialisation
// is not examined, as nothing later depends on it succeeding.
class OleScope {
public:
    OleScope() { (void)OleInitialize(nullptr); }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    ~OleScope() { OleUninitialize(); }
};

// The skin first, then the layouts: styles, images and fonts must be there
// before any window is built. A package that does not load leaves its part
// empty; the script's window then shows what it can.
void loadPackages(nelvo::FileSystem& store) {
    using namespace nelvo;
    if (SkinManager* skins = SkinManager::current()) skins->loadSkinPackage(u"style.lz");
    if (UiContext* context = UiContext::current()) context->layouts().load(store.load(u"frame.lz"));
}

void runSetup() {
    using namespace nelvo;

    ResourceFileSystem store(GetModuleHandleW(nullptr));
    setCurrentFileSystem(&store);
    registerSetupResources(store);
    {
        OleScope ole;
        {
            FrameworkScope framework;
            if (framework.started()) loadPackages(store);
            LuaHost host;
            if (host.create()) host.run(u"UI.lua");
        }
    }
    releaseInstanceMutex();
    setCurrentFileSystem(nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    nelvo::hardenLibrarySearch();
    if (nelvo::acquireInstanceMutex() == nelvo::InstanceGuard::AlreadyRunning) {
        notice(L"检测到Quent安装或卸载程序正在运行，请结束后重试。");
        return 0;
    }
    // The mutex stays held on this path; the process's end releases it.
    if (nelvo::restartPending()) {
        notice(L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
        return 0;
    }
    try {
        runSetup();
    } catch (...) {
        // Nothing more can be done for the user than to end quietly.
    }
    return 0;
}
