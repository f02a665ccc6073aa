#pragma once
// ScrollBar: two arrows, a track and a thumb whose length is to the track
// as the page is to the maximum. Scroll panels and list boxes create their
// bars themselves; markup never names one.
//
// The bar never moves itself on input: a press on an arrow or the track, or
// a thumb drag, raises Notify (Direct) on the bar with param1 = the step
// code and param2 = the dragged-to value, and the owner answers by setting
// a position. Arrow and track presses repeat every 100 ms while the pointer
// stays on the pressed part. The bar is enabled exactly when its page is
// less than its maximum; a disabled bar has no thumb.

#include "dui/Control.h"

#ifdef _WIN32
#include "dui/controls/ScrollTimer.h"
#endif

#include <cstdint>

namespace nelvo {

class Style;

class ScrollBar : public Control {
public:
    // The hover bits (low byte) and the pressed bits (the same parts, one
    // nibble up) of the part word.
    enum Part : uint32_t {
        UpArrow = 0x1,
        DownArrow = 0x2,
        Thumb = 0x4,
        TrackBefore = 0x100,
        TrackAfter = 0x200,
        PressedUpArrow = 0x10,
        PressedDownArrow = 0x20,
        PressedThumb = 0x40,
        PressedTrackBefore = 0x1000,
        PressedTrackAfter = 0x2000,
    };
    static constexpr uint32_t kHoverMask = UpArrow | DownArrow | Thumb | TrackBefore | TrackAfter;
    static constexpr uint32_t kPressedMask = kHoverMask << 4;

    // The Notify step codes (param1).
    enum Step : int32_t { StepBack = 2, StepForward = 3, PageBack = 4, PageForward = 5, ThumbDragged = 6 };

    // Thumbs are never drawn shorter than this.
    static constexpr int32_t kMinimumThumb = 20;

    ScrollBar();

    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
    Size arrangeOverride(int32_t finalWidth, int32_t finalHeight) override;

    // The only positioning operation. Refused, with a line on the debugger
    // output, while the bar is not in a window. Otherwise updates the
    // enabled state from page and maximum, clamps `position` into
    // [0, maximum - page] (0 on a disabled bar) and, when it changed,
    // stores it, shifts the owning scroll panel's content and repaints.
    void setPosition(int32_t position);
    int32_t position() const { return position_; }

    // The extents; they take effect at the next setPosition.
    void setMaximum(int32_t maximum) { maximum_ = maximum; }
    void setPage(int32_t page) { page_ = page; }
    int32_t maximum() const { return maximum_; }
    int32_t page() const { return page_; }

    void setVertical(bool vertical) { vertical_ = vertical ? 1 : 0; }
    bool vertical() const { return vertical_ != 0; }

    // The part word (hover and pressed bits).
    uint32_t parts() const { return parts_; }
    // Arrow rectangles in the bar's own coordinates, from the last arrange.
    const Rect& upArrow() const { return upArrow_; }
    const Rect& downArrow() const { return downArrow_; }

    // The thumb in the bar's own coordinates; false (leaving `out` alone)
    // when the bar has none: disabled, or no room for one.
    bool thumbRect(Rect& out) const;
    // The hover bit of the part under (x, y) in the bar's own coordinates;
    // 0 for none. Tested in the order of the Part enumeration's hover bits.
    uint32_t hitPart(int32_t x, int32_t y) const;

    // The thumb's start and length along a track from `trackStart` to
    // `trackEnd` (window-independent arithmetic, exposed for tests). False
    // when there is no thumb: page >= maximum, or an empty track.
    static bool thumbSpan(int32_t trackStart, int32_t trackEnd, int32_t maximum, int32_t page, int32_t position,
                          int32_t& start, int32_t& length);

    // One tick of the auto-repeat: raises the Notify of the pressed part.
    void repeatStep();
    // Whether the auto-repeat is running (tests).
    bool repeating() const;

private:
    void onLButtonDown(Event& e);
    void onMouseMove(Event& e);
    void onLostCapture(Event& e);
    void onMouseLeave(Event& e);

    // The pointer of a mouse event in the bar's own coordinates.
    bool localPoint(const Event& e, Point& out) const;
    void notify(int32_t step, int32_t value);
    // The style the bar draws and measures its arrows with.
    Style* barStyle() const;

    int32_t maximum_ = 0;
    int32_t position_ = 0;
    uint32_t parts_ = 0;
    int32_t page_ = 0;
    int32_t vertical_ = 1;
#ifdef _WIN32
    ScrollTimer timer_;
#endif
    Rect upArrow_;
    Rect downArrow_;
    int32_t dragOffset_ = 0;
};

} // namespace nelvo
