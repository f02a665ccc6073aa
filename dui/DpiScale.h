#pragma once
// The scale between layout units and device pixels. Markup, layout and the
// controls work in units of a 96-DPI screen; a window on a screen of another
// DPI paints into its back buffer through a world transform of dpi / 96, so
// everything drawn lands on device pixels. The conversions here round the
// way that transform does (to the nearest pixel, halves up), so a piece
// drawn by hand in device pixels meets the pieces GDI drew through the
// transform without a seam.

#include "dui/Geometry.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nelvo {

struct DpiScale {
    static constexpr int32_t kBaseDpi = 96;

    int32_t dpi = kBaseDpi;

    bool identity() const { return dpi == kBaseDpi; }

    // Layout units to device pixels, to the nearest pixel.
    int32_t toDevice(int32_t units) const { return floorDiv(int64_t(units) * dpi + kBaseDpi / 2, kBaseDpi); }
    Rect toDevice(const Rect& r) const { return {toDevice(r.left), toDevice(r.top), toDevice(r.right), toDevice(r.bottom)}; }
    Size toDevice(const Size& s) const { return {toDevice(s.cx), toDevice(s.cy)}; }
    // Every device pixel that anything drawn inside a layout rectangle can
    // touch: the edges rounded outward (what must be repainted).
    Rect toDeviceCovering(const Rect& r) const {
        return {floorDiv(int64_t(r.left) * dpi, kBaseDpi), floorDiv(int64_t(r.top) * dpi, kBaseDpi),
                -floorDiv(-int64_t(r.right) * dpi, kBaseDpi), -floorDiv(-int64_t(r.bottom) * dpi, kBaseDpi)};
    }

    // Device pixels to the layout unit that covers them (mouse positions).
    int32_t toUnits(int32_t pixels) const { return floorDiv(int64_t(pixels) * kBaseDpi, dpi); }
    Point toUnits(const Point& p) const { return {toUnits(p.x), toUnits(p.y)}; }
    // The smallest rectangle of layout units that covers a device rectangle.
    Rect toUnitsCovering(const Rect& r) const {
        return {toUnits(r.left), toUnits(r.top), ceilUnits(r.right), ceilUnits(r.bottom)};
    }

private:
    static int32_t floorDiv(int64_t a, int64_t b) {
        int64_t q = a / b;
        if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
        if (q > INT32_MAX) return INT32_MAX;
        if (q < INT32_MIN) return INT32_MIN;
        return int32_t(q);
    }
    int32_t ceilUnits(int32_t pixels) const {
        return -floorDiv(-int64_t(pixels) * kBaseDpi, dpi);
    }
};

#ifdef _WIN32
// The scale a device context paints at: the world transform the window
// host set on its back buffer, or 96 DPI for a context without one.
inline DpiScale dpiScaleOf(HDC dc) {
    if (!dc || GetGraphicsMode(dc) != GM_ADVANCED) return {};
    XFORM x{};
    if (!GetWorldTransform(dc, &x) || x.eM11 <= 0.0f) return {};
    return {int32_t(x.eM11 * DpiScale::kBaseDpi + 0.5f)};
}
#endif

} // namespace nelvo
