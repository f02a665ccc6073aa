#pragma once
// Name look-ups in the running framework's skin: the one place where the
// core, the controls and the styles find a style, an image or a font by its
// exact (case-sensitive) name. Each returns null when no framework runs, no
// skin is loaded or the name is unknown; what it returns belongs to the skin
// (see SkinManager) and stays valid until the skin is loaded again or the
// framework stops. UI thread.

#include "dui/Control.h"

#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nelvo {

class Style;
class ImageRecord;

// The style of that member name, from the running context's style source.
Style* findStyle(std::u16string_view name);

#ifdef _WIN32
// The font a control draws with when it names none.
inline constexpr std::u16string_view kDefaultFontName = u"Default";

// The image of that skin member (possibly one without bitmap: drawing it
// does nothing).
ImageRecord* findImage(std::u16string_view name);
// The font of that name from the skin's "font.xml".
HFONT findFont(std::u16string_view name);
// The font named by the control's `font` attribute, "Default" without one.
HFONT controlFont(const Control& control);
#endif

} // namespace nelvo
