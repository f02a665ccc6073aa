#pragma once
// Slider: a value from 0 to a maximum (50 of 100 at first), chosen by
// pressing or dragging along the track or by the wheel (+2 per notch up).
// `orientation`: horizontal (also when absent) or anything else for
// vertical. The thumb's hover state is the control's checked state. Raises
// ValueChange (Direct, parameters 0) whenever the value changes.

#include "dui/Control.h"

#include <cstdint>

namespace nelvo {

class Style;

class Slider : public Control {
public:
    Slider();

    // Draws the slider's `style`, or "slider.xml".
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Size measureOverride(int32_t availableWidth, int32_t availableHeight) override;

    // Clamps into [0, maximum]; on a change stores it, raises ValueChange
    // and repaints.
    void setValue(int32_t value);
    int32_t value() const { return value_; }
    int32_t maximum() const { return maximum_; }
    bool horizontal() const;

    // The thumb in the slider's own coordinates for a size of `width` x
    // `height`; false without a style or thumb image.
    bool thumbRect(int32_t width, int32_t height, Rect& out) const;
    // The value a point (own coordinates) stands for, before clamping;
    // false when the track leaves the thumb no room to move.
    bool valueAt(int32_t width, int32_t height, Point p, int32_t& out) const;
    // The thumb image's size; false without style or image.
    bool thumbSize(Size& out) const;

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::Slider; }
    std::u16string accessibleValue() const override;

private:
    void onLButtonDown(Event& e);
    void onMouseMove(Event& e);
    void onMouseLeave(Event& e);
    void onMouseWheel(Event& e);
    // Arrows step by 1, Page Up and Page Down by a tenth, Home and End go
    // to either end.
    void onKeyDown(Event& e);
    void valueFromPointer(const Event& e);
    Style* sliderStyle() const;

    int32_t value_ = 50;
    int32_t maximum_ = 100;
};

} // namespace nelvo
