#include "dui/controls/PowerPoint.h"

#include "dui/MemberHandler.h"

#ifdef _WIN32
#include "dui/AlphaBlendLibrary.h"
#include "dui/DevicePixelMode.h"
#include "dui/DibSection.h"
#include "dui/DpiScale.h"
#include "dui/ScaledImageCache.h"
#include "dui/controls/SkinDrawing.h"
#endif

#include <cmath>

namespace nelvo {

PowerPoint::PowerPoint()
#ifdef _WIN32
    : timer_(*this)
#endif
{
    listen<&PowerPoint::onAttached>(*this, EventCode::Attached);
}

PowerPoint::~PowerPoint() {
#ifdef _WIN32
    timer_.stop();
#endif
}

std::vector<std::u16string> PowerPoint::splitImageList(std::u16string_view list) {
    std::vector<std::u16string> names;
    for (;;) {
        const size_t semicolon = list.find(u';');
        names.emplace_back(list.substr(0, semicolon));
        if (semicolon == std::u16string_view::npos) break;
        list.remove_prefix(semicolon + 1);
    }
    return names;
}

int32_t PowerPoint::fadeWeight(int32_t counter) {
    const float angle = static_cast<float>(counter) * 0.07853981742f - 1.570796325f;
    return static_cast<int32_t>((std::sin(angle) + 1.0f) * 128.0f);
}

void PowerPoint::mixBytes(const uint8_t* previous, const uint8_t* current, uint8_t* out, size_t bytes,
                          int32_t weight) {
    const auto w = static_cast<uint32_t>(weight);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>((previous[i] * (256 - w) + current[i] * w) >> 8);
}

void PowerPoint::step() {
    if (frameNames_.empty()) return;
    if (counter_ >= kFrameTicks) {
        counter_ = 0;
        current_ = (current_ + 1) % frameNames_.size();
    } else {
        ++counter_;
    }
    invalidate(false);
}

void PowerPoint::onAttached(Event&) { load(); }

#ifdef _WIN32
bool PowerPoint::playing() const { return timer_.running(); }
uint32_t PowerPoint::interval() const { return timer_.interval(); }

void PowerPoint::load() {
    timer_.setInterval(kTickMs);
    const std::u16string* list = findText(attr::imagelist);
    frameNames_ = splitImageList(list ? std::u16string_view(*list) : std::u16string_view());
    current_ = 0;
    counter_ = 0;
    mixBitmap_.reset();
    mixBits_ = nullptr;
    mixWidth_ = mixHeight_ = 0;
    width_ = height_ = 0;
    ImageRecord* first = findImage(frameNames_.front());
    if (!first || !first->bitmap()) return;
    width_ = first->width();
    height_ = first->height();
    if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
    prepareMix(width_, height_);
}

bool PowerPoint::prepareMix(int32_t width, int32_t height) {
    if (mixBits_ && mixWidth_ == width && mixHeight_ == height) return true;
    mixBitmap_.reset();
    mixBits_ = nullptr;
    mixWidth_ = mixHeight_ = 0;
    uint32_t* bits = nullptr;
    mixBitmap_ = createDibSection32(width, height, &bits);
    if (!bits) return false;
    mixBits_ = reinterpret_cast<uint8_t*>(bits);
    mixWidth_ = width;
    mixHeight_ = height;
    return true;
}

ImageRecord* PowerPoint::frame(size_t index) const {
    // Looked up by name each time: the skin owns the images and may load
    // them again, so a record is never kept across paints.
    if (index >= frameNames_.size() || frameNames_[index].empty()) return nullptr;
    ImageRecord* image = findImage(frameNames_[index]);
    if (!image || !image->bitmap() || !image->bits() || image->width() != width_ || image->height() != height_)
        return nullptr;
    return image;
}

void PowerPoint::playStart() {
    if (timer_.running()) return;
    // A show without a first frame has nothing to play.
    if (!frame(0)) return;
    counter_ = kStartCounter;
    timer_.start();
}

void PowerPoint::playStop() {
    timer_.stop();
    invalidate(false);
}

bool PowerPoint::paintScaled(HDC dc, int32_t dpi, const Rect& bounds, ImageRecord& shown) {
    const DpiScale scale{dpi};
    const Rect device = scale.toDevice(Rect{bounds.left, bounds.top, layout::add(bounds.left, width_),
                                            layout::add(bounds.top, height_)});
    if (device.empty()) return true;
    const Size size{device.width(), device.height()};
    const Rect whole{0, 0, width_, height_};
    // Both pieces are held until the blit: the cache may let them go.
    const std::shared_ptr<const ScaledPiece> current = shown.scaledPiece(whole, size);
    if (!current) return false;
    HBITMAP bitmap = current->bitmap.get();
    std::shared_ptr<const ScaledPiece> before;
    if (timer_.running() && counter_ < kFadeTicks) {
        const size_t count = frameNames_.size();
        if (ImageRecord* previous = frame((current_ + count - 1) % count)) before = previous->scaledPiece(whole, size);
        if (before && prepareMix(size.cx, size.cy)) {
            mixBytes(reinterpret_cast<const uint8_t*>(before->bits), reinterpret_cast<const uint8_t*>(current->bits),
                     mixBits_, size_t(size.cx) * size_t(size.cy) * 4, fadeWeight(counter_));
            GdiFlush();
            bitmap = mixBitmap_.get();
        }
    }
    DevicePixelMode mode(dc);
    mode.enter();
    if (!mode.entered()) return false;
    AlphaBlendLibrary::Function blend = AlphaBlendLibrary::active();
    SelectGuard selected(dc_.get(), bitmap);
    if (blend) {
        const BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        blend(dc, device.left, device.top, size.cx, size.cy, dc_.get(), 0, 0, size.cx, size.cy, f);
    } else {
        BitBlt(dc, device.left, device.top, size.cx, size.cy, dc_.get(), 0, 0, SRCCOPY);
    }
    return true;
}

void PowerPoint::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
    Control::paint(dc, bounds, clip);
    ImageRecord* shown = frame(current_);
    if (!shown || !dc_) return;
    if (const DpiScale scale = dpiScaleOf(dc); !scale.identity() && paintScaled(dc, scale.dpi, bounds, *shown))
        return;
    HBITMAP bitmap = shown->bitmap();
    if (timer_.running() && counter_ < kFadeTicks && prepareMix(width_, height_)) {
        const size_t count = frameNames_.size();
        if (ImageRecord* previous = frame((current_ + count - 1) % count)) {
            const size_t bytes = static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4;
            mixBytes(reinterpret_cast<const uint8_t*>(previous->bits()),
                     reinterpret_cast<const uint8_t*>(shown->bits()), mixBits_, bytes, fadeWeight(counter_));
            GdiFlush();
            bitmap = mixBitmap_.get();
        }
    }
    AlphaBlendLibrary::Function blend = AlphaBlendLibrary::active();
    SelectGuard selected(dc_.get(), bitmap);
    if (blend) {
        const BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        blend(dc, bounds.left, bounds.top, width_, height_, dc_.get(), 0, 0, width_, height_, f);
    } else {
        BitBlt(dc, bounds.left, bounds.top, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    }
}
#else
bool PowerPoint::playing() const { return false; }
uint32_t PowerPoint::interval() const { return kTickMs; }
void PowerPoint::load() {
    const std::u16string* list = findText(attr::imagelist);
    frameNames_ = splitImageList(list ? std::u16string_view(*list) : std::u16string_view());
    current_ = 0;
    counter_ = 0;
}
void PowerPoint::playStart() {}
void PowerPoint::playStop() {}
void PowerPoint::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) { Control::paint(dc, bounds, clip); }
#endif

} // namespace nelvo
