#pragma once
// Style_ComboBox (style type ComboBox): the four-state skin over the whole
// combo box, the `dropBtn` image at its natural size against the right
// edge, centred vertically, and the control's `text` in black, 12 pixels in
// from the left and clear of the button, on one line in the surface's font.

#include "dui/Style.h"

namespace nelvo {

class Style_ComboBox : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;

    // Left edge of the text after the skin.
    static constexpr int32_t kTextIndent = 12;
    // Space kept between the text and the drop button.
    static constexpr int32_t kButtonGap = 2;

    // The top-left corner of a drop button `width` x `height` in `rect`,
    // and the right edge of the text beside it, in the layout's wrap-around
    // arithmetic: markup can give any rectangle.
    static Point buttonOrigin(const Rect& rect, int32_t width, int32_t height);
    static int32_t textRight(const Rect& rect, int32_t buttonWidth);
};

} // namespace nelvo
