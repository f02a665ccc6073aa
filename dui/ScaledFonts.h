#pragma once
// ScaledFonts: the skin's fonts made again at the height a scale asks for.
// Text at a scale other than 96 DPI is drawn by the system in device pixels
// in such a font, so its glyphs are hinted for the pixels they land on, and
// it measures exactly as it is drawn. The fonts are made on first use and
// kept, per source font and DPI, for the process. Windows build only; UI
// thread.

#include "dui/DpiScale.h"

#include <windows.h>

namespace nelvo {

// `font` at `scale`: `font` itself at 96 DPI (and for null); otherwise a
// font of the same face and attributes whose height (and width, when set)
// is scaled, owned here. Null when it cannot be made.
HFONT scaledFont(HFONT font, DpiScale scale);

} // namespace nelvo
