#pragma once
// Style: the skin of a control, a property bag with one operation, draw.
// Styles are created by type through the ControlFactory when a style file is
// read, shared by every control that names the same file, and owned by the
// skin cache. They keep no per-control state: everything that varies comes
// from the control handed to draw. UI thread only.

#include "dui/DeviceContext.h"
#include "dui/Geometry.h"
#include "dui/Object.h"

#include <string_view>

namespace nelvo {

class Control;

class Style : public Object {
public:
    // Paints `control`'s skin into `rect` (window coordinates). The base
    // draws the four-state skin.
    virtual void draw(DeviceContext dc, const Rect& rect, Control* control);

    // The four-state skin, also the first step of the button and combo box
    // styles: not Enabled → disabledSkin; Pressed or Checked → downSkin;
    // Hovered or Focused → overSkin; else upSkin. Drawn by drawSkin.
    void drawFourStateSkin(DeviceContext dc, const Rect& rect, const Control& control) const;
    // The key of the skin property the four-state rule picks for `flags`.
    static PropertyKey fourStateSkinKey(uint32_t flags);

    // The image named by this style's text property `skinKey`, nine-grid
    // with the `scaleGrid` margins when the style has them, otherwise
    // stretched over `rect`. Nothing when the property or image is missing.
    void drawSkin(DeviceContext dc, const Rect& rect, PropertyKey skinKey) const;
    // The same with another margins property (thumbs, bars).
    void drawSkin(DeviceContext dc, const Rect& rect, PropertyKey skinKey, PropertyKey gridKey) const;
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
