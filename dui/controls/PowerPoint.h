#pragma once
// PowerPoint: a slideshow over the images named by `imagelist` (split at
// every ";", empty pieces included). While playing, a timer ticks every
// kTickMs (30 ms): each frame stays 151 ticks, and the first 40 ticks after a change
// cross-fade from the previous frame along a half sine. Drawn unscaled at
// the control's top-left corner at the first frame's size. Takes no input.
// At a scale other than 96 DPI the frames are drawn at their size in device
// pixels, resampled once each (ImageRecord::scaledPiece), and the fade
// mixes those.
//
// Every frame is assumed to be a bitmap of the first frame's size; frames
// that are missing or of another size are shown without fading. A show
// without frames, or whose first frame is missing, never starts.

#include "dui/Control.h"

#ifdef _WIN32
#include "base/UniqueHandle.h"
#include "dui/ImageRecord.h"
#include "dui/Timer.h"
#endif

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class PowerPoint : public Control {
public:
    static constexpr uint32_t kTickMs = 30;  // the timer's interval while playing
    static constexpr int32_t kFrameTicks = 150;  // a frame changes after the tick that reaches this
    static constexpr int32_t kFadeTicks = 40;
    static constexpr int32_t kStartCounter = 50;  // past the fade: a started show begins on a whole frame

    PowerPoint();
    std::u16string_view typeName() const override { return u"PowerPoint"; }
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;

    // If not playing: counter := 50 and the timer starts (ticking once at
    // once). Nothing while playing.
    void playStart();
    // Stops the timer and repaints; frame and counter stay.
    void playStop();
    bool playing() const;

    // One step of the show: past 150 the counter restarts at 0 on the next
    // frame, otherwise it counts up. Then a repaint.
    void step();

    size_t frameCount() const { return frameNames_.size(); }
    size_t currentFrame() const { return current_; }
    int32_t counter() const { return counter_; }
    uint32_t interval() const;

    // The image names of an image list.
    static std::vector<std::u16string> splitImageList(std::u16string_view list);
    // The weight (0 ... 256) of the current frame at `counter` during a
    // fade: (sin(counter x pi / 40 - pi / 2) + 1) x 128 in single precision.
    static int32_t fadeWeight(int32_t counter);
    // out[i] = (previous[i] x (256 - w) + current[i] x w) >> 8 for every byte.
    static void mixBytes(const uint8_t* previous, const uint8_t* current, uint8_t* out, size_t bytes, int32_t weight);

protected:
    ~PowerPoint() override;

private:
    void onAttached(Event& e);
    void load();

    std::vector<std::u16string> frameNames_;
    size_t current_ = 0;
    int32_t counter_ = 0;
#ifdef _WIN32
    class PowerPointTimer final : public Timer {
    public:
        explicit PowerPointTimer(PowerPoint& owner) : Timer(100), owner_(owner) {}
        void tick() override { owner_.step(); }

    private:
        PowerPoint& owner_;
    };

    // The frame's image, or null when it is missing or not of the first
    // frame's size.
    ImageRecord* frame(size_t index) const;
    // The mixing bitmap at that size, made again when the size changes.
    bool prepareMix(int32_t width, int32_t height);
    // The paint at a scale other than one, in device pixels. False when the
    // frame cannot be resampled: the caller then lets GDI scale it.
    bool paintScaled(HDC dc, int32_t dpi, const Rect& bounds, ImageRecord& shown);

    PowerPointTimer timer_;
    UniqueDc dc_;
    UniqueBitmap mixBitmap_;
    uint8_t* mixBits_ = nullptr;
    int32_t mixWidth_ = 0;
    int32_t mixHeight_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
#endif
};

} // namespace nelvo
