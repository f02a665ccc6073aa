#include "dui/TextDraw.h"

#include "base/UniqueHandle.h"

namespace nelvo {

void drawTextWithFont(HDC dc, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                      UINT format) {
    SelectGuard selected(dc, font);
    SetTextColor(dc, colour);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r, format);
}

void drawTextPlain(HDC dc, const Rect& rect, const std::u16string& text, uint32_t colour) {
    SetTextColor(dc, colour);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r, DT_SINGLELINE | DT_VCENTER);
}

} // namespace nelvo
