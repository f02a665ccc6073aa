#include "dui/TextDraw.h"

#include "base/UniqueHandle.h"
#include "dui/ScaledFonts.h"

#include <algorithm>

namespace nelvo {
namespace {

// Text at a scale: in device pixels, with the transform set aside and the
// font made for the scale. The clip stays: it is in device pixels already.
void drawScaled(HDC dc, DpiScale scale, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                UINT format) {
    SaveDcGuard saved(dc);
    HFONT source = font ? font : static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    if (HFONT scaled = scaledFont(source, scale)) SelectObject(dc, scaled);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetTextColor(dc, colour);
    const Rect d = scale.toDevice(rect);
    RECT r{d.left, d.top, d.right, d.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r, format);
}

} // namespace

void drawTextWithFont(HDC dc, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                      UINT format) {
    if (const DpiScale scale = dpiScaleOf(dc); !scale.identity()) {
        drawScaled(dc, scale, rect, text, font, colour, format);
        return;
    }
    SelectGuard selected(dc, font);
    SetTextColor(dc, colour);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r, format);
}

void drawTextPlain(HDC dc, const Rect& rect, const std::u16string& text, uint32_t colour) {
    constexpr UINT format = DT_SINGLELINE | DT_VCENTER;
    if (const DpiScale scale = dpiScaleOf(dc); !scale.identity()) {
        drawScaled(dc, scale, rect, text, nullptr, colour, format);
        return;
    }
    SetTextColor(dc, colour);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r, format);
}

void drawTextWithAdvances(HDC dc, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                          UINT format, const std::vector<int32_t>& advances) {
    const DpiScale scale = dpiScaleOf(dc);
    if (scale.identity() || advances.size() < text.size()) {
        drawTextWithFont(dc, rect, text, font, colour, format);
        return;
    }
    SaveDcGuard saved(dc);
    HFONT source = font ? font : static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    if (HFONT scaled = scaledFont(source, scale)) SelectObject(dc, scaled);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetTextColor(dc, colour);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const Rect d = scale.toDevice(rect);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int32_t y = (format & DT_VCENTER) ? d.top + (d.height() - metrics.tmHeight) / 2 : d.top;
    // Each glyph at the device pixel its layout position rounds to.
    const size_t length = std::min(text.size(), text.find(u'\0'));
    std::vector<INT> dx(length);
    int64_t at = rect.left;
    for (size_t i = 0; i < length; ++i) {
        const int64_t next = at + advances[i];
        dx[i] = scale.toDevice(int32_t(next)) - scale.toDevice(int32_t(at));
        at = next;
    }
    const RECT clip{d.left, d.top, d.right, d.bottom};
    ExtTextOutW(dc, d.left, y, ETO_CLIPPED, &clip, reinterpret_cast<const wchar_t*>(text.c_str()), UINT(length), dx.data());
}

Size measureText(const std::u16string& text, HFONT font, UINT format, DpiScale scale) {
    // One measuring context for the process.
    static UniqueDc measuring(CreateCompatibleDC(nullptr));
    HDC dc = measuring.get();
    if (!dc) return {};
    // Without a font, the context's own, as a fresh context draws.
    HFONT source = font ? font : static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    SelectGuard selected(dc, scaledFont(source, scale));
    RECT r{0, 0, 0, 0};
    const int height = DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r, format | DT_CALCRECT);
    const Rect units = scale.toUnitsCovering({0, 0, r.right - r.left, height});
    return {units.right, units.bottom};
}

} // namespace nelvo
