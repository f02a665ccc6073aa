#pragma once
// Small drawing helpers the controls share: images and fonts by name from
// the running framework's skin, each doing nothing when the name is
// unknown. Windows build only.

#ifdef _WIN32
#include "dui/Control.h"
#include "dui/ImageRecord.h"

#include <windows.h>

#include <string_view>

namespace nelvo {

// The image of that skin member, or null (no skin, no such member).
ImageRecord* findImage(std::u16string_view name);
// The named image over `rect`: nine-grid with `grid` margins when given,
// otherwise stretched.
void drawImage(HDC dc, std::u16string_view name, const Rect& rect, const Rect* grid);
// The font of that name, or null.
HFONT findFont(std::u16string_view name);
// The font named by the control's `font` attribute, "Default" without one.
HFONT controlFont(const Control& control);

} // namespace nelvo
#endif
