#include "dui/controls/Label.h"
#include "dui/LayoutMath.h"

#ifdef _WIN32
#include "base/UniqueHandle.h"
#include "dui/controls/SkinDrawing.h"
#include "dui/TextDraw.h"
#endif

namespace nelvo {

#ifdef _WIN32
namespace {

// One measuring context for every label, kept for the process.
HDC measuringDc() {
    static UniqueDc dc(CreateCompatibleDC(nullptr));
    return dc.get();
}

} // namespace

void Label::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
    Control::paint(dc, bounds, clip);
    const std::u16string* text = findText(attr::text);
    if (!text) return;
    const Rect padding = rectOr(attr::padding, {});
    const Rect inner{layout::add(bounds.left, padding.left), layout::add(bounds.top, padding.top),
                     layout::sub(bounds.right, padding.right), layout::sub(bounds.bottom, padding.bottom)};
    UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
    const Keyword align = keywordOr(attr::textAlign, Keyword::Left);
    if (align == Keyword::Center) format |= DT_CENTER;
    if (align == Keyword::Right) format |= DT_RIGHT;
    drawTextWithFont(dc, inner, *text, controlFont(*this), static_cast<uint32_t>(intOr(attr::color, kDefaultColour)),
                     format);
}

Size Label::measureOverride(int32_t, int32_t) {
    const Rect padding = rectOr(attr::padding, {});
    Size size{padding.left + padding.right, padding.top + padding.bottom};
    const std::u16string* text = findText(attr::text);
    HDC dc = measuringDc();
    if (!text || !dc) return size;
    HFONT font = controlFont(*this);
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    RECT r{0, 0, 0, 0};
    const int height = DrawTextW(dc, reinterpret_cast<const wchar_t*>(text->c_str()), -1, &r,
                                 DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (previous) SelectObject(dc, previous);
    size.cx += r.right - r.left;
    size.cy += height;
    return size;
}
#else
void Label::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) { Control::paint(dc, bounds, clip); }
Size Label::measureOverride(int32_t, int32_t) {
    const Rect padding = rectOr(attr::padding, {});
    return {padding.left + padding.right, padding.top + padding.bottom};
}
#endif

} // namespace nelvo
