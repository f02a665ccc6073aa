#pragma once
// The skin's images at device size. At a scale other than 96 DPI an image
// is not stretched by GDI: each rectangle of it that is drawn (the whole
// image, a frame of a strip, a piece of a nine-grid) is resampled once to
// the device size it is drawn at (dui/ImageScaler.h) and then copied or
// blended one to one. This cache keeps those pieces.
//
// A piece is found by the image's identity, the source rectangle and the
// device size, and made on the first request. An image's pieces go with the
// image (ImageRecord's destructor forgets them), so they are freed with the
// skin package that owns the image. The pixels kept are bounded by a
// budget: past it, the pieces used longest ago go first, so a window that
// is resized again and again cannot grow the cache without limit. A piece
// being drawn stays alive with its holder even when the cache lets it go.
// Windows build only; UI thread.

#include "base/UniqueHandle.h"
#include "dui/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <tuple>

namespace nelvo {

// A rectangle of an image resampled to a device size: a premultiplied
// 32-bit top-down DIB section of width × height pixels, blended when its
// image has translucent pixels and copied when it has none.
struct ScaledPiece {
    UniqueBitmap bitmap;
    const uint32_t* bits = nullptr;  // owned by bitmap
    int32_t width = 0;
    int32_t height = 0;
    bool translucent = false;
};

class ScaledImageCache {
public:
    static constexpr size_t kDefaultBudget = size_t(32) << 20;  // bytes of pixels

    // The process's cache (made on first use, never destroyed).
    static ScaledImageCache& instance();

    // The piece of image `image` (an ImageRecord's id) whose pixels are
    // `pixels`, `imageWidth` pixels a row, translucent or not: the
    // rectangle `source` resampled to `device`. Made on the first request,
    // then found. Null when the rectangle is empty or not inside the image,
    // or the resampler or GDI refuses the size.
    std::shared_ptr<const ScaledPiece> piece(uint64_t image, const uint32_t* pixels, int32_t imageWidth,
                                             int32_t imageHeight, bool translucent, const Rect& source,
                                             const Size& device);
    // Lets go of every piece of that image.
    void forget(uint64_t image);

    // The budget in bytes of pixels; returns the one before. Lowering it
    // lets go of the oldest pieces at once.
    size_t setBudget(size_t bytes);
    size_t bytes() const { return bytes_; }
    size_t pieces() const { return order_.size(); }
    // How many pieces were ever made (not found): a measure for tests and
    // the bench.
    uint64_t made() const { return made_; }

private:
    struct Key {
        uint64_t image;
        int32_t left, top, right, bottom, width, height;
        friend bool operator<(const Key& a, const Key& b) {
            return std::tie(a.image, a.left, a.top, a.right, a.bottom, a.width, a.height) <
                   std::tie(b.image, b.left, b.top, b.right, b.bottom, b.width, b.height);
        }
    };
    struct Entry {
        Key key;
        std::shared_ptr<const ScaledPiece> piece;
        size_t bytes;
    };

    ScaledImageCache() = default;
    void trim();

    std::list<Entry> order_;  // most recently used first
    std::map<Key, std::list<Entry>::iterator> index_;
    size_t bytes_ = 0;
    size_t budget_ = kDefaultBudget;
    uint64_t made_ = 0;
};

} // namespace nelvo
