#pragma once
// ProgressBar: a position within a range, shown as a skinned track with a
// skinned fill revealed from the left by clipping. Takes no input.

#include "dui/Control.h"

namespace nelvo {

class ProgressBar : public Control {
public:
    ProgressBar() { setFlag(ControlFlag::HitTransparent, true); }
    std::u16string_view typeName() const override { return u"ProgressBar"; }
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;

    // Sets the range and repaints; the position is kept.
    void setRange(int32_t range);
    // Sets the position to the smaller of `position` and the range (signed,
    // no lower limit) and repaints.
    void setPosition(int32_t position);
    int32_t range() const { return range_; }
    int32_t position() const { return position_; }

    access::Role accessibleRole() const override { return access::Role::ProgressBar; }
    // The filled share in whole per cent, "0%" to "100%".
    std::u16string accessibleValue() const override;

    // The right edge of the fill over [left, right): left + width x position
    // / range, truncated toward zero, computed without overflow and clamped
    // into [left, right]. `left` for a range of 0.
    static int32_t fillRight(int32_t left, int32_t right, int32_t position, int32_t range);

private:
    // Tells clients when the percentage shown changed.
    void changed(const std::u16string& before);

    int32_t range_ = 1;
    int32_t position_ = 0;
};

} // namespace nelvo
