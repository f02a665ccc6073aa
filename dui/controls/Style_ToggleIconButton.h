#pragma once
// Style_ToggleIconButton (type ToggleIconButton): the four-state skin
// without the checked and focused states, then the icon and text as Style_IconButton
// places them: `icon` and `text` when unchecked, `offIcon` and `offText`
// when checked.

#include "dui/Style.h"

namespace nelvo {

class Style_ToggleIconButton : public Style {
public:
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};

} // namespace nelvo
