#include "dui/Framework.h"

#include "dui/AlphaBlendLibrary.h"
#include "dui/DispatcherWindow.h"
#include "dui/FrameworkLock.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"

#include <memory>
#include <new>

namespace nelvo {
namespace {

// What framework start creates, torn down in reverse by stop.
struct Framework {
    AlphaBlendLibrary msimg32;
    std::unique_ptr<UiContext> context;
    std::unique_ptr<SkinManager> skins;
    DispatcherWindow dispatcher;
};

Framework* g_framework = nullptr;

} // namespace

bool startFramework() {
    if (g_framework || UiContext::current()) return false;
    try {
        auto fw = std::make_unique<Framework>();
        // Without msimg32 opaque images still draw; translucent ones do not.
        if (fw->msimg32.load()) AlphaBlendLibrary::setActive(fw->msimg32.function());
        fw->context = std::make_unique<UiContext>();
        fw->skins = std::make_unique<SkinManager>(*fw->context);
        fw->context->setSkinManager(fw->skins.get());
        fw->context->setStyleSource(fw->skins.get());
        if (!fw->dispatcher.create()) return false;
        fw->context->setTaskSink(&fw->dispatcher);
        g_framework = fw.release();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void stopFramework() {
    Framework* fw = g_framework;
    if (!fw) return;
    fw->context->layouts().clear();
    fw->context->setStyleSource(nullptr);
    fw->context->setSkinManager(nullptr);
    fw->skins.reset();
    {
        // A post from another thread either completes before this or finds
        // no context.
        FrameworkLockGuard lock;
        fw->context.reset();
    }
    fw->dispatcher.shutdown();
    g_framework = nullptr;
    delete fw;
}

} // namespace nelvo
