#pragma once
// The two text-drawing operations every control and style uses, and the
// measuring that agrees with them. Colours are the integers of the colour
// setter, handed to SetTextColor unchanged (bits 0-7 are red to GDI). Every
// framework drawing context draws text with a transparent background.
//
// A context that draws at a scale (dpiScaleOf) gets its text drawn in
// device pixels, in the font made for that scale (ScaledFonts), inside the
// rectangle scaled: sharp, and exactly as wide as measureText says.
// Windows build only.

#include "dui/DpiScale.h"
#include "dui/Geometry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace nelvo {

// Selects `font` (when not null) for the call, sets the text colour and
// draws `text` (up to its first NUL) with DrawTextW and `format`. The
// previous font is selected again afterwards.
void drawTextWithFont(HDC dc, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                      UINT format);
// Sets the text colour and draws `text` on one line, centred vertically, in
// whatever font the context has selected.
void drawTextPlain(HDC dc, const Rect& rect, const std::u16string& text, uint32_t colour);

// One line of `text` as drawTextWithFont draws it with `format` (a single
// line, left-aligned, centred vertically or not), except that at a scale
// each unit of the text advances by its width in `advances` (layout units,
// one per unit of `text`, as the text controls measure): the glyphs land
// where the control's carets, selections and hit tests put them. At 96 DPI
// exactly drawTextWithFont.
void drawTextWithAdvances(HDC dc, const Rect& rect, const std::u16string& text, HFONT font, uint32_t colour,
                          UINT format, const std::vector<int32_t>& advances);

// The size, in layout units, of `text` in `font` (a fresh context's font
// for null) drawn at `scale` with the DrawTextW `format` (one line
// unless it says otherwise): the device pixels it takes, rounded up to
// whole units, so a box of that size holds it at that scale.
Size measureText(const std::u16string& text, HFONT font, UINT format, DpiScale scale);

} // namespace nelvo
