#include "dui/SkinLookup.h"

#include "dui/Style.h"
#include "dui/UiContext.h"

#ifdef _WIN32
#include "dui/SkinManager.h"
#endif

namespace nelvo {

Style* findStyle(std::u16string_view name) {
    UiContext* ctx = UiContext::current();
    StyleSource* source = ctx ? ctx->styleSource() : nullptr;
    return source ? source->getStyle(name) : nullptr;
}

#ifdef _WIN32
ImageRecord* findImage(std::u16string_view name) {
    SkinManager* skins = SkinManager::current();
    return skins ? skins->getImage(name) : nullptr;
}

HFONT findFont(std::u16string_view name) {
    SkinManager* skins = SkinManager::current();
    return skins ? skins->getFont(name) : nullptr;
}

HFONT controlFont(const Control& control) {
    const std::u16string* name = control.findText(attr::font);
    return findFont(name ? std::u16string_view(*name) : kDefaultFontName);
}
#endif

} // namespace nelvo
