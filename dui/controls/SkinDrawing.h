#pragma once
// Drawing a skin image by name, for the controls and styles (the look-ups
// themselves are in dui/SkinLookup.h). Windows build only.

#ifdef _WIN32
#include "dui/Control.h"
#include "dui/ImageRecord.h"
#include "dui/SkinLookup.h"

#include <windows.h>

#include <string_view>

namespace nelvo {

// The named image over `rect`: nine-grid with `grid` margins when given,
// otherwise stretched. Nothing when the image is unknown.
void drawImage(HDC dc, std::u16string_view name, const Rect& rect, const Rect* grid);

} // namespace nelvo
#endif
