#include "script/WizardRun.h"

#include "dui/Framework.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "script/LuaHost.h"

#include <ole2.h>
#include <windows.h>

namespace nelvo {

namespace {

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
void loadPackages(FileSystem& store) {
    if (SkinManager* skins = SkinManager::current()) skins->loadSkinPackage(u"style.lz");
    if (UiContext* context = UiContext::current()) context->layouts().load(store.load(u"frame.lz"));
}

} // namespace

void runWizard(FileSystem& store, const char16_t* scriptName) {
    OleScope ole;
    FrameworkScope framework;
    if (framework.started()) loadPackages(store);
    LuaHost host;
    if (host.create()) host.run(scriptName);
}

} // namespace nelvo
