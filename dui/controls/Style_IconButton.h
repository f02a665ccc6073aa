#pragma once
// Style_IconButton (type IconButton): the four-state skin, then the
// control's `icon` and `text` placed side by side (or the text under the
// icon) as a centred group by the style's `textPlacement` (`right`
// default, `left`, `bottom`; any other value draws no icon), `iconGap`
// (default 2) apart. Text in the control's `font`, `textColor` (default
// black), shifted while pressed when `downOffset` is 1.

#include "dui/Keyword.h"
#include "dui/Style.h"

#include <string>

namespace nelvo {

class Style_IconButton : public Style {
public:
    // DrawTextW formats used for the text.
    static constexpr uint32_t kCentred = 0x25;     // DT_CENTER | DT_VCENTER | DT_SINGLELINE
    static constexpr uint32_t kBesideIcon = 0x24;  // DT_VCENTER | DT_SINGLELINE
    static constexpr uint32_t kUnderIcon = 0x21;   // DT_CENTER | DT_SINGLELINE

    struct Placement {
        bool drawIcon = false;
        Point icon;
        Rect text;
        uint32_t format = kCentred;
    };
    // Where an icon of iw x ih and a text of tw x th go in `rect`. Integer
    // divisions truncate toward zero.
    static Placement place(const Rect& rect, int32_t iw, int32_t ih, int32_t tw, int32_t th, int32_t gap,
                           Keyword placement);

    void draw(DeviceContext dc, const Rect& rect, Control* control) override;

    // The icon and text drawing shared with Style_ToggleIconButton: `icon`
    // names the image (none or unknown: the text alone, centred); the text
    // is drawn only when it is non-empty, and measured when it is non-empty
    // or `measureEmptyText` is set (an empty line still has a height).
    static void drawIconAndText(const Style& style, DeviceContext dc, const Rect& rect, const Control& control,
                                const std::u16string* icon, const std::u16string* text, bool measureEmptyText);
};

} // namespace nelvo
