#pragma once
// A 32-bit DIB surface to draw into and read back, for pixel tests
// (Windows build).

#include "base/UniqueHandle.h"
#include "dui/DibSection.h"

#include <windows.h>

#include <cstdint>

namespace nelvo::test {

// A memory device context with a 32-bit top-down DIB section selected.
class Surface {
public:
    Surface(int width, int height, uint32_t fill = 0) : width_(width), height_(height) {
        dc_.reset(CreateCompatibleDC(nullptr));
        bitmap_ = createDibSection32(width, height, &pixels_);
        old_ = SelectObject(dc_.get(), bitmap_.get());
        SetBkMode(dc_.get(), TRANSPARENT);
        clear(fill);
    }
    ~Surface() { SelectObject(dc_.get(), old_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return dc_.get(); }
    bool valid() const { return pixels_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    const uint32_t* pixels() const { return pixels_; }
    void clear(uint32_t value) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) pixels_[i] = value;
    }
    // 0xAARRGGBB as stored.
    uint32_t at(int x, int y) const {
        GdiFlush();
        return pixels_[y * width_ + x];
    }
    uint32_t rgb(int x, int y) const { return at(x, y) & 0xFFFFFF; }
    // From here on the surface paints as a window's back buffer at `dpi`:
    // through a world transform of dpi / 96, layout units in, device
    // pixels out.
    void setDpi(int dpi) {
        SetGraphicsMode(dc_.get(), GM_ADVANCED);
        const float scale = float(dpi) / 96.0f;
        const XFORM transform{scale, 0.0f, 0.0f, scale, 0.0f, 0.0f};
        SetWorldTransform(dc_.get(), &transform);
    }

private:
    int width_, height_;
    UniqueDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

} // namespace nelvo::test
