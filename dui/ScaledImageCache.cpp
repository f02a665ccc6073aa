#include "dui/ScaledImageCache.h"

#include "dui/DibSection.h"
#include "dui/ImageScaler.h"

#include <new>

namespace nelvo {

ScaledImageCache& ScaledImageCache::instance() {
    // Never destroyed: image records may outlive any static owner, and each
    // one forgets its pieces when it goes. Made in place, so that a paint
    // that asks first allocates nothing here.
    alignas(ScaledImageCache) static unsigned char storage[sizeof(ScaledImageCache)];
    static ScaledImageCache* cache = new (storage) ScaledImageCache;
    return *cache;
}

std::shared_ptr<const ScaledPiece> ScaledImageCache::piece(uint64_t image, const uint32_t* pixels,
                                                           int32_t imageWidth, int32_t imageHeight, bool translucent,
                                                           const Rect& source, const Size& device) {
    if (!pixels || source.left < 0 || source.top < 0 || source.right > imageWidth || source.bottom > imageHeight ||
        source.empty() || device.cx <= 0 || device.cy <= 0)
        return nullptr;
    const Key key{image, source.left, source.top, source.right, source.bottom, device.cx, device.cy};
    if (auto found = index_.find(key); found != index_.end()) {
        order_.splice(order_.begin(), order_, found->second);
        return found->second->piece;
    }

    try {
        auto fresh = std::make_shared<ScaledPiece>();
        uint32_t* bits = nullptr;
        // The resampler's limits first: no bitmap is made for a size it
        // refuses.
        if (device.cx > kMaxScaledSide || device.cy > kMaxScaledSide ||
            int64_t(device.cx) * device.cy > kMaxScaledPixels)
            return nullptr;
        fresh->bitmap = createDibSection32(device.cx, device.cy, &bits);
        if (!fresh->bitmap) return nullptr;
        const uint32_t* first = pixels + size_t(source.top) * size_t(imageWidth) + size_t(source.left);
        if (!scaleImage(first, imageWidth, source.width(), source.height(), bits, device.cx, device.cy))
            return nullptr;
        fresh->bits = bits;
        fresh->width = device.cx;
        fresh->height = device.cy;
        fresh->translucent = translucent;
        const size_t bytes = size_t(device.cx) * size_t(device.cy) * 4;
        order_.push_front(Entry{key, fresh, bytes});
        try {
            index_.emplace(key, order_.begin());
        } catch (const std::bad_alloc&) {
            order_.pop_front();
            return fresh;  // drawn this once, not kept
        }
        bytes_ += bytes;
        ++made_;
        trim();
        return fresh;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void ScaledImageCache::trim() {
    // The newest piece stays even alone over the budget: it is being drawn.
    while (bytes_ > budget_ && order_.size() > 1) {
        const Entry& oldest = order_.back();
        bytes_ -= oldest.bytes;
        index_.erase(oldest.key);
        order_.pop_back();
    }
}

void ScaledImageCache::forget(uint64_t image) {
    for (auto it = order_.begin(); it != order_.end();) {
        if (it->key.image == image) {
            bytes_ -= it->bytes;
            index_.erase(it->key);
            it = order_.erase(it);
        } else {
            ++it;
        }
    }
}

size_t ScaledImageCache::setBudget(size_t bytes) {
    const size_t before = budget_;
    budget_ = bytes;
    while (bytes_ > budget_ && !order_.empty()) {
        bytes_ -= order_.back().bytes;
        index_.erase(order_.back().key);
        order_.pop_back();
    }
    return before;
}

} // namespace nelvo
