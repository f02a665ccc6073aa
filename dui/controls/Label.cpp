#include "dui/controls/Label.h"
#include "dui/LayoutMath.h"

#ifdef _WIN32
#include "dui/ControlWindow.h"
#include "dui/controls/SkinDrawing.h"
#include "dui/TextDraw.h"
#endif

namespace nelvo {

#ifdef _WIN32
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
    if (!text) return size;
    // Measured as it is drawn at the window's scale: a box of this size
    // holds the text there.
    const Size extent = measureText(*text, controlFont(*this), DT_SINGLELINE | DT_NOPREFIX,
                                    window() ? window()->dpiScale() : DpiScale{});
    size.cx += extent.cx;
    size.cy += extent.cy;
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
