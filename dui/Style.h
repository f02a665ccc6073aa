#pragma once
// Style: the skin of a control, a property bag with one operation, draw.
// Styles are created by type through the ControlFactory when a style file is
// read, shared by every control that names the same file, and owned by the
// skin cache. UI thread only.

#include "dui/DeviceContext.h"
#include "dui/Geometry.h"
#include "dui/Object.h"

#include <string_view>

namespace nelvo {

class Control;

class Style : public Object {
public:
    // Paints `control`'s skin into `rect` (window coordinates). The base
    // draws nothing until the skin drawing is in place.
    virtual void draw(DeviceContext dc, const Rect& rect, Control* control);
};

// Where controls find styles by member name (the skin cache implements it).
class StyleSource {
public:
    // The style, or null when there is none of that name.
    virtual Style* getStyle(std::u16string_view name) = 0;

protected:
    ~StyleSource() = default;
};

} // namespace nelvo
