#include "dui/ImageRecord.h"

#include "dui/AlphaBlendLibrary.h"
#include "dui/DevicePixelMode.h"
#include "dui/DibSection.h"
#include "dui/DpiScale.h"
#include "dui/ScaledImageCache.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_PSD
#define STBI_NO_TGA
#define STBI_NO_PIC
#define STBI_NO_PNM
#define STBI_NO_LINEAR
#define STBI_ASSERT(x) ((void)0)
#include <stb/stb_image.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <new>

namespace nelvo {
namespace {

constexpr uint8_t kKeepPixelsMarker = 0x01;

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

std::atomic<uint64_t> g_nextId{1};

} // namespace

ImageRecord::ImageRecord() : id_(g_nextId++) {}

ImageRecord::~ImageRecord() {
    if (bits_) ScaledImageCache::instance().forget(id_);
}

std::shared_ptr<const ScaledPiece> ImageRecord::scaledPiece(const Rect& source, const Size& device) const {
    if (!bits_) return nullptr;
    if (device.cx > source.width() || device.cy > source.height())
        if (const ImageRecord* big = larger())
            return big->scaledPiece({source.left * 2, source.top * 2, source.right * 2, source.bottom * 2}, device);
    return ScaledImageCache::instance().piece(id_, bits_, width_, height_, hasTransparency_, source, device);
}

void ImageRecord::setLargerSource(HeapBlock bytes) {
    larger_.reset();
    largerBytes_ = std::move(bytes);
}

const ImageRecord* ImageRecord::larger() const {
    if (largerBytes_) {
        HeapBlock bytes = std::move(largerBytes_);
        try {
            std::unique_ptr<ImageRecord> decoded = decode(bytes.data(), bytes.size());
            if (decoded->bits_ && int64_t(decoded->width_) == 2 * int64_t(width_) &&
                int64_t(decoded->height_) == 2 * int64_t(height_))
                larger_ = std::move(decoded);
        } catch (const std::bad_alloc&) {
            // drawn from this image instead
        }
    }
    return larger_.get();
}

std::unique_ptr<ImageRecord> ImageRecord::decode(const uint8_t* bytes, size_t size) {
    bool keep = false;
    if (size > 0 && bytes[0] == kKeepPixelsMarker) {
        keep = true;
        ++bytes;
        --size;
    }
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, StbFree> rgba;
    if (size > 0 && size <= static_cast<size_t>(INT_MAX))
        rgba.reset(stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4));
    if (!rgba) {
        std::unique_ptr<ImageRecord> empty(new ImageRecord);
        empty->keepPixels_ = keep;
        return empty;
    }
    return fromRgba(rgba.get(), w, h, keep);
}

std::unique_ptr<ImageRecord> ImageRecord::fromRgba(const uint8_t* rgba, int32_t width, int32_t height,
                                                   bool keepPixels) {
    std::unique_ptr<ImageRecord> r(new ImageRecord);
    r->keepPixels_ = keepPixels;
    // The size must fit the DIB's 32-bit image size.
    if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > (1u << 28))
        return r;

    uint32_t* bits = nullptr;
    r->bitmap_ = createDibSection32(width, height, &bits);
    if (!r->bitmap_) return r;
    r->bits_ = bits;
    r->width_ = width;
    r->height_ = height;

    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t red = rgba[i * 4], green = rgba[i * 4 + 1], blue = rgba[i * 4 + 2], a = rgba[i * 4 + 3];
        uint32_t rr = red, gg = green, bb = blue;
        if (a != 255) {
            r->hasTransparency_ = true;
            rr = red * a / 255;
            gg = green * a / 255;
            bb = blue * a / 255;
        }
        r->bits_[i] = (a << 24) | (rr << 16) | (gg << 8) | bb;
    }
    GdiFlush();
    if (keepPixels) r->pixels_.assign(rgba, rgba + count * 4);
    return r;
}

HDC ImageRecord::imageDc() {
    // Kept for the whole process, as the bitmaps selected into it come and go.
    static HDC dc = CreateCompatibleDC(nullptr);
    return dc;
}

void ImageRecord::blitBitmap(HDC dc, HBITMAP bitmap, bool translucent, int32_t x, int32_t y, int32_t w, int32_t h,
                             int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    HDC src = imageDc();
    if (!src) return;
    if (translucent) {
        AlphaBlendLibrary::Function blend = AlphaBlendLibrary::active();
        if (!blend) return;  // a translucent image cannot be drawn without AlphaBlend
        SelectGuard selected(src, bitmap);
        const BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        blend(dc, x, y, w, h, src, sx, sy, sw, sh, bf);
        return;
    }
    SelectGuard selected(src, bitmap);
    if (w == sw && h == sh) {
        BitBlt(dc, x, y, w, h, src, sx, sy, SRCCOPY);
    } else {
        StretchBlt(dc, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY);
    }
}

void ImageRecord::blit(HDC dc, const DpiScale& scale, DevicePixelMode& mode, int32_t x, int32_t y, int32_t w,
                       int32_t h, int32_t sx, int32_t sy, int32_t sw, int32_t sh) const {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    if (!scale.identity()) {
        // Both edges are rounded as the transform rounds them, so pieces
        // that meet in layout units meet in device pixels.
        const Rect device = scale.toDevice(Rect{x, y, layout::add(x, w), layout::add(y, h)});
        if (device.empty()) return;
        const auto piece =
            scaledPiece({sx, sy, layout::add(sx, sw), layout::add(sy, sh)}, {device.width(), device.height()});
        if (piece) {
            mode.enter();
            if (mode.entered()) {
                blitBitmap(dc, piece->bitmap.get(), piece->translucent, device.left, device.top, piece->width,
                           piece->height, 0, 0, piece->width, piece->height);
                return;
            }
        }
        // A piece the resampler refuses (a rectangle outside the image, a
        // size beyond its limits) is left to GDI, through the transform.
        mode.leave();
    }
    blitBitmap(dc, bitmap_.get(), hasTransparency_, x, y, w, h, sx, sy, sw, sh);
}

void ImageRecord::drawStretched(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    if (!bitmap_) return;
    DevicePixelMode mode(dc);
    blit(dc, dpiScaleOf(dc), mode, left, top, right - left, bottom - top, 0, 0, width_, height_);
}

void ImageRecord::drawPart(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sourceY,
                           int32_t sourceWidth, int32_t sourceHeight) const {
    if (!bitmap_) return;
    DevicePixelMode mode(dc);
    blit(dc, dpiScaleOf(dc), mode, x, y, w, h, 0, sourceY, sourceWidth, sourceHeight);
}

void ImageRecord::drawNatural(HDC dc, int32_t x, int32_t y) const {
    if (!bitmap_) return;
    DevicePixelMode mode(dc);
    blit(dc, dpiScaleOf(dc), mode, x, y, width_, height_, 0, 0, width_, height_);
}

void ImageRecord::drawNineGrid(HDC dc, int32_t l, int32_t t, int32_t r, int32_t b, int32_t L, int32_t T, int32_t R,
                               int32_t B) const {
    if (!bitmap_) return;
    const int32_t W = width_, H = height_;
    const int32_t cw = r - l - R - L, ch = b - t - B - T;
    const int32_t sw = W - R - L, sh = H - B - T;
    const int32_t x1 = l + L, y1 = t + T, xR = r - R, yB = b - B;
    const DpiScale scale = dpiScaleOf(dc);
    DevicePixelMode mode(dc);
    auto piece = [&](int32_t px, int32_t py, int32_t pw, int32_t ph, int32_t qx, int32_t qy, int32_t qw,
                     int32_t qh) { blit(dc, scale, mode, px, py, pw, ph, qx, qy, qw, qh); };

    // Pieces whose destination or source has no area are skipped by blit.
    // Scaled, each piece is resampled by itself to its device size: the
    // corners to the scaled margins, never stretched further.
    piece(x1, y1, cw, ch, L, T, sw, sh);  // centre
    if (L > 0 && T > 0) piece(l, t, L, T, 0, 0, L, T);
    if (T > 0) piece(x1, t, cw, T, L, 0, sw, T);
    if (R > 0) {
        if (T > 0) piece(xR, t, R, T, W - R, 0, R, T);
        piece(xR, y1, R, ch, W - R, T, R, sh);
        if (B > 0) piece(xR, yB, R, B, W - R, H - B, R, B);
    }
    if (B > 0) piece(x1, yB, cw, B, L, H - B, sw, B);
    if (L > 0) {
        if (B > 0) piece(l, yB, L, B, 0, H - B, L, B);
        piece(l, y1, L, ch, 0, T, L, sh);
    }
}

} // namespace nelvo
