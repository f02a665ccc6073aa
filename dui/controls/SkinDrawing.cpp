#include "dui/controls/SkinDrawing.h"

#ifdef _WIN32
namespace nelvo {

void drawImage(HDC dc, std::u16string_view name, const Rect& rect, const Rect* grid) {
    ImageRecord* image = findImage(name);
    if (!image) return;
    if (grid)
        image->drawNineGrid(dc, rect, *grid);
    else
        image->drawStretched(dc, rect);
}

} // namespace nelvo
#endif
