#include "dui/controls/ProgressBar.h"
#include "dui/LayoutMath.h"

#ifdef _WIN32
#include "base/UniqueHandle.h"
#include "dui/controls/SkinDrawing.h"
#endif

#include <algorithm>
#include <string>

namespace nelvo {

void ProgressBar::setRange(int32_t range) {
    const std::u16string before = accessibleValue();
    range_ = range;
    invalidate(false);
    changed(before);
}

void ProgressBar::setPosition(int32_t position) {
    const std::u16string before = accessibleValue();
    position_ = std::min(position, range_);
    invalidate(false);
    changed(before);
}

void ProgressBar::changed(const std::u16string& before) {
    if (accessibleValue() != before) accessibleChanged(access::Change::Value);
}

std::u16string ProgressBar::accessibleValue() const {
    const int64_t percent = range_ > 0 ? std::clamp<int64_t>(int64_t(position_) * 100 / range_, 0, 100) : 0;
    const std::string digits = std::to_string(percent) + "%";
    return std::u16string(digits.begin(), digits.end());
}

int32_t ProgressBar::fillRight(int32_t left, int32_t right, int32_t position, int32_t range) {
    if (range == 0 || right <= left) return left;
    // 64 bits hold width x position for every 32-bit pair, and the quotient
    // of a negative range or position simply clamps below.
    const int64_t width = static_cast<int64_t>(right) - left;
    const int64_t fill = width * position / range;
    return static_cast<int32_t>(std::clamp<int64_t>(left + fill, left, right));
}

#ifdef _WIN32
void ProgressBar::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    Rect grid;
    const std::u16string* track = findText(attr::progressbkimg);
    if (track) drawImage(dc, *track, bounds, getRect(attr::progressbkScaleGrid, grid) ? &grid : nullptr);
    if (range_ == 0 || position_ == 0) return;
    const std::u16string* fill = findText(attr::progressimg);
    if (!fill) return;
    Rect area = bounds;
    Rect margin;
    if (getRect(attr::progressmargin, margin))
        area = {layout::add(bounds.left, margin.left), layout::add(bounds.top, margin.top),
                layout::sub(bounds.right, margin.right), layout::sub(bounds.bottom, margin.bottom)};
    const int32_t right = fillRight(area.left, area.right, position_, range_);
    if (right <= area.left || area.bottom <= area.top) return;
    // The fill image is laid out over the whole area and the clip reveals
    // its left part, so a growing bar is not a squeezed image.
    SaveDcGuard saved(dc);
    IntersectClipRect(dc, area.left, area.top, right, area.bottom);
    drawImage(dc, *fill, area, getRect(attr::progressScaleGrid, grid) ? &grid : nullptr);
}
#else
void ProgressBar::paint(DeviceContext, const Rect&, const Rect&) {}
#endif

} // namespace nelvo
