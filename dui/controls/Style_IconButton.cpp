#include "dui/controls/Style_IconButton.h"

#include "dui/Control.h"
#include "dui/controls/Style_Button.h"

#ifdef _WIN32
#include "dui/TextDraw.h"
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

Style_IconButton::Placement Style_IconButton::place(const Rect& rect, int32_t iw, int32_t ih, int32_t tw,
                                                    int32_t th, int32_t gap, Keyword placement) {
    Placement p;
    p.text = rect;
    p.format = kBesideIcon;
    switch (placement) {
    case Keyword::Right: {
        const int32_t x = (rect.left + rect.right - gap - tw - iw) / 2;
        p.drawIcon = true;
        p.icon = {x, (rect.top + rect.bottom - ih) / 2};
        p.text.left = x + gap + iw;
        break;
    }
    case Keyword::Left: {
        const int32_t x = (rect.left + rect.right - gap - tw - iw) / 2;
        p.drawIcon = true;
        p.icon = {x + gap + tw, (rect.top + rect.bottom - ih) / 2};
        p.text.left = x;
        p.text.right = x + tw;
        break;
    }
    case Keyword::Bottom: {
        const int32_t y = (rect.top + rect.bottom - gap - th - ih) / 2;
        p.drawIcon = true;
        p.format = kUnderIcon;
        p.icon = {(rect.left + rect.right - iw) / 2, y};
        p.text.top = y + gap + ih;
        break;
    }
    default:
        break;  // no icon; the text keeps the whole rectangle
    }
    return p;
}

void Style_IconButton::draw(DeviceContext dc, const Rect& rect, Control* control) {
    if (!control) return;
    drawFourStateSkin(dc, rect, *control);
    // An empty `text` is still measured: its height places an icon above it.
    drawIconAndText(*this, dc, rect, *control, control->findText(attr::icon), control->findText(attr::text), true);
}

#ifdef _WIN32
void Style_IconButton::drawIconAndText(const Style& style, DeviceContext dc, const Rect& rect,
                                       const Control& control, const std::u16string* iconName,
                                       const std::u16string* text, bool measureEmptyText) {
    HFONT font = controlFont(control);
    Rect textRect = rect;
    uint32_t format = kCentred;
    if (ImageRecord* icon = iconName ? findImage(*iconName) : nullptr) {
        int32_t tw = 0, th = 0;
        if (text && (measureEmptyText || !text->empty())) {
            const Size measured = measureText(*text, font ? font : static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)),
                                              DT_SINGLELINE, dpiScaleOf(dc));
            tw = measured.cx;
            th = measured.cy;
        }
        const Placement p = place(rect, icon->width(), icon->height(), tw, th, style.intOr(attr::iconGap, 2),
                                  style.keywordOr(attr::textPlacement, Keyword::Right));
        if (p.drawIcon) icon->drawNatural(dc, p.icon.x, p.icon.y);
        textRect = p.text;
        format = p.format;
    }
    if (!text || text->empty()) return;
    const auto colour = static_cast<uint32_t>(style.intOr(attr::textColor, 0));
    drawTextWithFont(dc, Style_Button::pressedOffset(style, control, textRect), *text, font, colour, format);
}
#else
void Style_IconButton::drawIconAndText(const Style&, DeviceContext, const Rect&, const Control&,
                                       const std::u16string*, const std::u16string*, bool) {}
#endif

} // namespace nelvo
