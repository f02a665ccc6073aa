#include "dui/controls/SkinDrawing.h"

#ifdef _WIN32
#include "dui/SkinManager.h"

namespace nelvo {

ImageRecord* findImage(std::u16string_view name) {
    SkinManager* skins = SkinManager::current();
    return skins ? skins->getImage(name) : nullptr;
}

void drawImage(HDC dc, std::u16string_view name, const Rect& rect, const Rect* grid) {
    ImageRecord* image = findImage(name);
    if (!image) return;
    if (grid)
        image->drawNineGrid(dc, rect, *grid);
    else
        image->drawStretched(dc, rect);
}

HFONT findFont(std::u16string_view name) {
    SkinManager* skins = SkinManager::current();
    return skins ? skins->getFont(name) : nullptr;
}

HFONT controlFont(const Control& control) {
    const std::u16string* name = control.findText(attr::font);
    return findFont(name ? std::u16string_view(*name) : std::u16string_view(u"Default"));
}

} // namespace nelvo
#endif
