#include "host/WizardRun.h"

#include "base/OleScope.h"
#include "base/StartupPhases.h"
#include "dui/Framework.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "host/LuaWork.h"
#include "host/MainThreadDispatcher.h"
#include "host/ScriptGuards.h"
#include "script/LuaHost.h"
#include "script/LuaWindow.h"

#include <windows.h>

namespace nelvo {

namespace {

// The skin first, then the layouts: styles, images and fonts must be there
// before any window is built. A package that does not load leaves its part
// empty; the script's window then shows what it can.
void loadPackages(FileSystem& store) {
    if (SkinManager* skins = SkinManager::current()) skins->loadSkinPackage(u"style.lz");
    if (UiContext* context = UiContext::current()) context->layouts().load(store.load(u"frame.lz"));
}

// The run's question before the worker starts; main thread only.
bool (*g_beforeWork)() = nullptr;

bool startWork(std::u16string script, std::u16string package, std::string configuration) {
    if (g_beforeWork && !g_beforeWork()) return false;
    return LuaWork::start(std::move(script), std::move(package), std::move(configuration));
}

struct BeforeWorkScope {
    explicit BeforeWorkScope(bool (*beforeWork)()) { g_beforeWork = beforeWork; }
    ~BeforeWorkScope() { g_beforeWork = nullptr; }
};

} // namespace

void runWizard(FileSystem& store, const char16_t* scriptName, void (*registerControls)(ControlFactory&),
               void (*extend)(lua_State*), bool (*beforeWork)()) {
    BeforeWorkScope gate(beforeWork);
    OleScope ole;
    // Stopped after the framework: its stop waits for the install worker.
    MainThreadDispatcherScope dispatcher;
    FrameworkScope framework;
    if (framework.started()) {
        registerControls(UiContext::current()->factory());
        loadPackages(store);
    }
    StartupPhases::mark("framework and skin");
    LuaWindow::setWorkStarter(&startWork);
    LuaHost host;
    if (!host.create(scriptGuards())) return;
    StartupPhases::mark("Lua start");
    if (extend) extend(LuaHost::mainState());
    host.run(scriptName);
}

} // namespace nelvo
