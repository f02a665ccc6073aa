#pragma once
// Drawing a control with a style chosen by name rather than by its `style`
// attribute, for the controls that always use one skin file.

#include "dui/Control.h"

#include <string_view>

namespace nelvo {

class Style;

// The style of that name from the running framework's skin, or null.
Style* findStyle(std::u16string_view name);

// Draws `control` into `bounds` with the named style; nothing when the
// style does not exist.
void drawWithStyle(std::u16string_view name, DeviceContext dc, const Rect& bounds, Control& control);

} // namespace nelvo
