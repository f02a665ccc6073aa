#include "dui/AlphaBlendLibrary.h"

#include "base/LibrarySearch.h"

namespace nelvo {
namespace {

AlphaBlendLibrary::Function g_active = nullptr;

} // namespace

AlphaBlendLibrary::~AlphaBlendLibrary() {
    if (function_ && g_active == function_) g_active = nullptr;
}

bool AlphaBlendLibrary::load() {
    module_.reset(loadSystemLibrary(L"msimg32.dll"));
    if (!module_) return false;
    function_ = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.get(), "AlphaBlend")));
    if (!function_) module_.reset();
    return function_ != nullptr;
}

AlphaBlendLibrary::Function AlphaBlendLibrary::active() { return g_active; }

AlphaBlendLibrary::Function AlphaBlendLibrary::setActive(Function f) {
    Function old = g_active;
    g_active = f;
    return old;
}

} // namespace nelvo
