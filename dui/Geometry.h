#pragma once
// Rectangles, sizes and points of the control framework: signed 32-bit
// values, rectangles as left, top, right, bottom with right and bottom
// exclusive. Free of any operating system. Like layout, the arithmetic
// wraps around instead of overflowing, so hostile markup gives odd
// rectangles, never undefined behaviour.

#include "dui/LayoutMath.h"

#include <cstdint>

namespace nelvo {

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return layout::sub(right, left); }
    int32_t height() const { return layout::sub(bottom, top); }
    bool empty() const { return right <= left || bottom <= top; }
    // Left and top inclusive, right and bottom exclusive.
    bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect offset(int32_t dx, int32_t dy) const {
        return {layout::add(left, dx), layout::add(top, dy), layout::add(right, dx), layout::add(bottom, dy)};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The overlap of two rectangles; an empty rectangle (all zero) when they do
// not overlap, as IntersectRect reports it.
inline Rect intersect(const Rect& a, const Rect& b) {
    Rect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.empty()) return {};
    return r;
}

} // namespace nelvo
