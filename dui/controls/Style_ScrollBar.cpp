#include "dui/controls/Style_ScrollBar.h"

#include "dui/controls/ScrollBar.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

#ifdef _WIN32
namespace {

struct ArrowSkins {
    PropertyKey disabled, down, over, up;
    uint32_t part;
};
constexpr ArrowSkins kUpArrow{attr::upArrowDisabledSkin, attr::upArrowDownSkin, attr::upArrowOverSkin,
                              attr::upArrowUpSkin, ScrollBar::UpArrow};
constexpr ArrowSkins kDownArrow{attr::downArrowDisabledSkin, attr::downArrowDownSkin, attr::downArrowOverSkin,
                                attr::downArrowUpSkin, ScrollBar::DownArrow};

// What the bar shows of `part`: pressed only while it holds the capture.
bool pressedOn(const ScrollBar& bar, uint32_t part) {
    return bar.hasFlag(ControlFlag::Pressed) && (bar.parts() & (part << 4));
}

} // namespace

void Style_ScrollBar::draw(DeviceContext dc, const Rect& rect, Control* control) {
    const auto* bar = dynamic_cast<const ScrollBar*>(control);
    if (!bar) return;
    drawSkin(dc, rect, attr::barSkin);

    for (const ArrowSkins& arrow : {kUpArrow, kDownArrow}) {
        PropertyKey key = arrow.up;
        if (!bar->enabled())
            key = arrow.disabled;
        else if (pressedOn(*bar, arrow.part))
            key = arrow.down;
        else if (bar->parts() & arrow.part)
            key = arrow.over;
        const Rect& local = arrow.part == ScrollBar::UpArrow ? bar->upArrow() : bar->downArrow();
        if (const std::u16string* name = findText(key)) drawImage(dc, *name, local.offset(rect.left, rect.top), nullptr);
    }

    Rect thumb;
    if (!bar->thumbRect(thumb)) return;  // a disabled bar has none
    thumb = thumb.offset(rect.left, rect.top);
    PropertyKey skin = attr::thumbUpSkin, icon = attr::thumbUpIcon;
    if (pressedOn(*bar, ScrollBar::Thumb)) {
        skin = attr::thumbDownSkin;
        icon = attr::thumbDownIcon;
    } else if (bar->parts() & ScrollBar::Thumb) {
        skin = attr::thumbOverSkin;
        icon = attr::thumbOverIcon;
    }
    drawSkin(dc, {layout::add(thumb.left, 1), thumb.top, layout::sub(thumb.right, 1), thumb.bottom}, skin,
             attr::thumbScaleGrid);
    const std::u16string* iconName = findText(icon);
    ImageRecord* image = iconName ? findImage(*iconName) : nullptr;
    if (!image) return;
    image->drawNatural(dc, layout::add(thumb.left, layout::sub(thumb.width(), image->width()) / 2),
                       layout::add(thumb.top, layout::sub(thumb.height(), image->height()) / 2));
}
#else
void Style_ScrollBar::draw(DeviceContext, const Rect&, Control*) {}
#endif

} // namespace nelvo
