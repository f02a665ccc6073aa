#pragma once
// One decoded skin image: a premultiplied 32-bit top-down DIB section ready
// to blit, its size, whether any pixel is translucent, and (only when the
// member began with the marker byte 0x01) a copy of the decoded RGBA pixels.
//
// On a context that paints at a scale other than 96 DPI (a world transform,
// dui/DpiScale.h) every draw operation places its pieces in device pixels,
// rounded as the transform rounds, and copies or blends each one to one
// from the source rectangle resampled to that device size
// (dui/ScaledImageCache.h): GDI never stretches a skin image there, the
// corners of a nine-grid are its scaled corners, and the frames of a strip
// never bleed into each other. A piece drawn larger than its source takes
// its pixels from the image's larger source when it has one (an image
// exactly twice the size: the skin's "name@2x.png"). At 96 DPI the
// operations draw as GDI always did.
//
// Owned by the SkinManager's image cache; controls and styles only borrow a
// record while the skin package stays loaded. A record whose decoding failed
// has no bitmap and every draw operation does nothing with it.
// Windows build only; UI thread.

#include "base/HeapBlock.h"
#include "base/UniqueHandle.h"
#include "dui/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace nelvo {

struct DpiScale;
class DevicePixelMode;
struct ScaledPiece;

class ImageRecord {
public:
    // Decodes PNG, JPEG, BMP or GIF bytes (stb_image). A leading 0x01 byte is
    // the keep-pixels marker and is not part of the image. Never null: an
    // undecodable image gives a record without bitmap.
    static std::unique_ptr<ImageRecord> decode(const uint8_t* bytes, size_t size);
    // A record over already decoded, non-premultiplied RGBA pixels (row by
    // row, top-down); for generated images and tests.
    static std::unique_ptr<ImageRecord> fromRgba(const uint8_t* rgba, int32_t width, int32_t height,
                                                 bool keepPixels = false);

    ImageRecord(const ImageRecord&) = delete;
    ImageRecord& operator=(const ImageRecord&) = delete;
    // Lets go of the record's scaled pieces.
    ~ImageRecord();

    HBITMAP bitmap() const { return bitmap_.get(); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // True when at least one pixel has alpha below 255: every draw then
    // alpha-blends, otherwise it copies.
    bool hasTransparency() const { return hasTransparency_; }
    bool keepsPixels() const { return keepPixels_; }
    // The decoded RGBA pixels (not premultiplied); empty unless kept.
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    // The premultiplied BGRA pixels of the DIB section (width × height
    // 32-bit values, top-down); null without bitmap.
    const uint32_t* bits() const { return bits_; }

    // --- Drawing, all in the destination's logical coordinates ---

    // The whole image scaled into the rectangle.
    void drawStretched(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    void drawStretched(HDC dc, const Rect& r) const { drawStretched(dc, r.left, r.top, r.right, r.bottom); }
    // The source rectangle (0, sourceY, sourceWidth, sourceHeight) scaled
    // into (x, y, w, h): one frame of a vertical strip.
    void drawPart(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sourceY, int32_t sourceWidth,
                  int32_t sourceHeight) const;
    // The whole image unscaled at (x, y).
    void drawNatural(HDC dc, int32_t x, int32_t y) const;
    // Nine-grid: the corners (margins L, T, R, B) unscaled, the edges
    // stretched along one axis, the centre stretched both ways. Pieces with
    // no area are skipped.
    void drawNineGrid(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t marginLeft,
                      int32_t marginTop, int32_t marginRight, int32_t marginBottom) const;
    void drawNineGrid(HDC dc, const Rect& r, const Rect& margins) const {
        drawNineGrid(dc, r.left, r.top, r.right, r.bottom, margins.left, margins.top, margins.right,
                     margins.bottom);
    }

    // The source rectangle resampled to a device size, from the scaled
    // image cache (made on first use). Null without bitmap, for a rectangle
    // not inside the image, or a size the resampler refuses. The holder
    // keeps the piece alive while it draws it.
    std::shared_ptr<const ScaledPiece> scaledPiece(const Rect& source, const Size& device) const;
    // The encoded bytes of the same picture at twice the size: every piece
    // drawn larger than its source rectangle is then resampled from it.
    // Decoded on first use; an image that is not exactly twice as wide and
    // high is not used.
    void setLargerSource(HeapBlock bytes);

    // The process-wide memory device context images are selected into while
    // they are blitted (created on first use, kept for the process).
    static HDC imageDc();

private:
    ImageRecord();
    // Draws the source rectangle into the destination one (logical
    // coordinates). At a scale other than one, from the resampled piece in
    // device pixels (`mode` entered), else as `blitBitmap` does.
    void blit(HDC dc, const DpiScale& scale, DevicePixelMode& mode, int32_t x, int32_t y, int32_t w, int32_t h,
              int32_t sx, int32_t sy, int32_t sw, int32_t sh) const;
    // AlphaBlend when translucent (skipped when there is no AlphaBlend),
    // otherwise BitBlt when the sizes match and StretchBlt when they do not.
    static void blitBitmap(HDC dc, HBITMAP bitmap, bool translucent, int32_t x, int32_t y, int32_t w, int32_t h,
                           int32_t sx, int32_t sy, int32_t sw, int32_t sh);
    // The larger source, decoded now if it was not; null without one.
    const ImageRecord* larger() const;

    uint64_t id_;  // names the record's pieces in the scaled image cache
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;  // owned by bitmap_
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool hasTransparency_ = false;
    bool keepPixels_ = false;
    std::vector<uint8_t> pixels_;
    mutable HeapBlock largerBytes_;  // until decoded
    mutable std::unique_ptr<ImageRecord> larger_;
};

} // namespace nelvo
