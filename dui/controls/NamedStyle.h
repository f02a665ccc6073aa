#pragma once
// Drawing a control with a style chosen by name rather than by its `style`
// attribute, for the controls that always use one skin file.

#include "dui/Control.h"
#include "dui/SkinLookup.h"

#include <string_view>

namespace nelvo {

// Draws `control` into `bounds` with the named style; nothing when the
// style does not exist.
void drawWithStyle(std::u16string_view name, DeviceContext dc, const Rect& bounds, Control& control);

} // namespace nelvo
