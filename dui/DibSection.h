#pragma once
// 32-bit top-down DIB sections: the one pixel format the framework draws
// into and decodes images to (rows from the top, BGRA, one uint32 a pixel).

#include "base/UniqueHandle.h"

#include <cstdint>

namespace nelvo {

// A width x height DIB section; `bits` receives its pixels. Null (and bits
// null) when the size is not positive or the system refuses.
inline UniqueBitmap createDibSection32(int32_t width, int32_t height, uint32_t** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || !pixels) return {};
    *bits = static_cast<uint32_t*>(pixels);
    return bitmap;
}

} // namespace nelvo
