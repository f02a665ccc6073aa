#pragma once
// The two text-drawing operations every control and style uses. Colours are
// the integers of the colour setter, handed to SetTextColor unchanged (bits
// 0-7 are red to GDI). Every framework drawing context draws text with a
// transparent background. Windows build only.

#include "dui/Geometry.h"

#include <windows.h>

#include <string>

namespace nelvo {

// Selects `font` (when not null) for the call, sets the text colour and
// draws `text` (up to its first NUL) with DrawTextW and `format`. The
// previous font is selected again afterwards.
void drawTextWithFont(HDC dc, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                      UINT format);
// Sets the text colour and draws `text` on one line, centred vertically, in
// whatever font the context has selected.
void drawTextPlain(HDC dc, const Rect& rect, const std::u16string& text, uint32_t colour);

} // namespace nelvo
