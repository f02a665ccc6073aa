#include "dui/controls/ScrollBar.h"

#include "dui/ControlWindow.h"
#include "dui/LiveSet.h"
#include "dui/MemberHandler.h"
#include "dui/SkinLookup.h"
#include "dui/Style.h"
#include "dui/controls/ScrollPanel.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#endif

#include <algorithm>

namespace nelvo {
namespace {

int32_t clampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The size of a skin image named by a style property; (0, 0) when the
// property or the image is missing.
Size imageSize(const Object* style, PropertyKey key) {
#ifdef _WIN32
    const std::u16string* name = style ? style->findText(key) : nullptr;
    ImageRecord* image = name ? findImage(*name) : nullptr;
    if (image && image->bitmap()) return {image->width(), image->height()};
#else
    (void)style, (void)key;
#endif
    return {0, 0};
}

} // namespace

ScrollBar::ScrollBar()
#ifdef _WIN32
    : timer_(*this)
#endif
{
    // Page and maximum are both 0: disabled until its panel sizes it.
    setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress, true);
    setFlag(ControlFlag::Enabled, false);
    listen<&ScrollBar::onLButtonDown>(*this, EventCode::LButtonDown);
    listen<&ScrollBar::onMouseMove>(*this, EventCode::MouseMove);
    listen<&ScrollBar::onLostCapture>(*this, EventCode::LostCapture);
    listen<&ScrollBar::onMouseLeave>(*this, EventCode::MouseLeave);
}

Style* ScrollBar::barStyle() const {
    // A horizontal bar draws with the horizontal bar's style, which also
    // gives its height.
    const std::u16string* name = findText(attr::style);
    return findStyle(name ? std::u16string_view(*name)
                          : (vertical() ? std::u16string_view(u"vscrollbar.xml") : u"hscrollbar.xml"));
}

Size ScrollBar::arrangeOverride(int32_t w, int32_t h) {
    const Object* style = barStyle();
    const Size up = imageSize(style, attr::upArrowUpSkin);
    const Size down = imageSize(style, attr::downArrowUpSkin);
    using layout::add;
    using layout::sub;
    if (vertical()) {
        const int32_t upLeft = sub(w, up.cx) / 2;
        const int32_t downLeft = sub(w, down.cx) / 2;
        upArrow_ = {upLeft, 0, add(upLeft, up.cx), up.cy};
        downArrow_ = {downLeft, sub(h, down.cy), add(downLeft, down.cx), h};
    } else {
        const int32_t upTop = sub(h, up.cy) / 2;
        const int32_t downTop = sub(h, down.cy) / 2;
        upArrow_ = {0, upTop, up.cx, add(upTop, up.cy)};
        downArrow_ = {sub(w, down.cx), downTop, w, add(downTop, down.cy)};
    }
    return {w, h};
}

bool ScrollBar::thumbSpan(int32_t trackStart, int32_t trackEnd, int32_t maximum, int32_t page, int32_t position,
                          int32_t& start, int32_t& length) {
    // page < maximum keeps every divisor below positive; the products are
    // taken in 64 bits, where two 32-bit factors always fit.
    if (page >= maximum || maximum <= 0) return false;
    const int64_t track = static_cast<int64_t>(trackEnd) - trackStart;
    if (track <= 0) return false;
    const int64_t range = static_cast<int64_t>(maximum) - page;
    const int64_t thumb = std::max<int64_t>(static_cast<int64_t>(page) * track / maximum + 1, kMinimumThumb);
    start = clampToInt32(trackStart + (track - thumb) * position / range);
    length = clampToInt32(thumb);
    return true;
}

bool ScrollBar::thumbRect(Rect& out) const {
    if (!enabled()) return false;
    const int32_t w = bounds().width();
    const int32_t h = bounds().height();
    int32_t start = 0, length = 0;
    if (vertical()) {
        if (!thumbSpan(upArrow_.bottom, downArrow_.top, maximum_, page_, position_, start, length)) return false;
        out = {0, start, w, layout::add(start, length)};
    } else {
        if (!thumbSpan(upArrow_.right, downArrow_.left, maximum_, page_, position_, start, length)) return false;
        out = {start, 0, layout::add(start, length), h};
    }
    return true;
}

uint32_t ScrollBar::hitPart(int32_t x, int32_t y) const {
    if (upArrow_.contains(x, y)) return UpArrow;
    if (downArrow_.contains(x, y)) return DownArrow;
    Rect thumb;
    if (!thumbRect(thumb)) return 0;
    if (thumb.contains(x, y)) return Thumb;
    // The track parts span the bar across its axis.
    if (vertical()) {
        if (x < 0 || x >= bounds().width()) return 0;
        if (y >= upArrow_.bottom && y < thumb.top) return TrackBefore;
        if (y >= thumb.bottom && y < downArrow_.top) return TrackAfter;
    } else {
        if (y < 0 || y >= bounds().height()) return 0;
        if (x >= upArrow_.right && x < thumb.left) return TrackBefore;
        if (x >= thumb.right && x < downArrow_.left) return TrackAfter;
    }
    return 0;
}

void ScrollBar::setPosition(int32_t position) {
    if (!window()) {
#ifdef _WIN32
        OutputDebugStringW(L"ScrollBar::EnsurePosition UnExpected Error.\n");
#endif
        return;
    }
    const bool enable = page_ < maximum_;
    if (enable != enabled()) {
        setFlag(ControlFlag::Enabled, enable);
        invalidate(false);
    }
    // A disabled bar sits at 0: clamping to maximum - page, which is then
    // negative, would move the content past its origin.
    int32_t p = 0;
    if (enable) p = clampToInt32(std::clamp<int64_t>(position, 0, static_cast<int64_t>(maximum_) - page_));
    if (p == position_) return;
    position_ = p;
    if (auto* panel = dynamic_cast<ScrollPanel*>(parent())) {
        panel->scrollContent(*this);
        if (!LiveSet::contains(this)) return;
    }
    invalidate(false);
}

bool ScrollBar::localPoint(const Event& e, Point& out) const {
    Rect r;
    if (!windowRect(r)) return false;
    const Point p = eventPoint(e);
    out = {layout::sub(p.x, r.left), layout::sub(p.y, r.top)};
    return true;
}

void ScrollBar::notify(int32_t step, int32_t value) {
    Event e = makeEvent(EventCode::Notify, Routing::Direct, step, value);
    raiseEvent(e);
}

void ScrollBar::onLButtonDown(Event& e) {
    Point p;
    if (!localPoint(e, p)) return;
    parts_ &= ~kPressedMask;
    const uint32_t part = hitPart(p.x, p.y);
    parts_ |= part << 4;
    if (part == Thumb) {
        Rect thumb;
        thumbRect(thumb);
        dragOffset_ = vertical() ? layout::sub(thumb.top, p.y) : layout::sub(thumb.left, p.x);
        return;
    }
#ifdef _WIN32
    // The first step is taken at once, by the start.
    if (part) timer_.start();
#endif
}

void ScrollBar::onMouseMove(Event& e) {
    Point p;
    if (!localPoint(e, p)) return;
    if (!hasFlag(ControlFlag::Pressed)) {
        const uint32_t hover = hitPart(p.x, p.y);
        if (hover == (parts_ & kHoverMask)) return;
        parts_ = (parts_ & ~kHoverMask) | hover;
        invalidate(false);
        return;
    }
    const uint32_t pressed = (parts_ & kPressedMask) >> 4;
    if (pressed == Thumb) {
        Rect thumb;
        if (!thumbRect(thumb)) return;
        const int64_t track = vertical() ? static_cast<int64_t>(downArrow_.top) - upArrow_.bottom
                                         : static_cast<int64_t>(downArrow_.left) - upArrow_.right;
        const int64_t room = track - (vertical() ? thumb.height() : thumb.width());
        if (room <= 0) return;
        const int64_t along = vertical() ? static_cast<int64_t>(p.y) + dragOffset_ - upArrow_.bottom
                                         : static_cast<int64_t>(p.x) + dragOffset_ - upArrow_.right;
        notify(ThumbDragged, clampToInt32((static_cast<int64_t>(maximum_) - page_) * along / room));
        return;
    }
#ifdef _WIN32
    if (!pressed) return;
    if (hitPart(p.x, p.y) == pressed)
        timer_.start();
    else
        timer_.stop();
#endif
}

void ScrollBar::repeatStep() {
    const uint32_t pressed = (parts_ & kPressedMask) >> 4;
    switch (pressed) {
    case UpArrow:
        notify(StepBack, 0);
        return;
    case DownArrow:
        notify(StepForward, 0);
        return;
    case TrackBefore:
    case TrackAfter: {
        // Paging stops once the thumb has reached the pointer.
        Point p;
        if (!cursorPosition(p) || hitPart(p.x, p.y) != pressed) return;
        notify(pressed == TrackBefore ? PageBack : PageForward, 0);
        return;
    }
    default:
        return;
    }
}

bool ScrollBar::repeating() const {
#ifdef _WIN32
    return timer_.running();
#else
    return false;
#endif
}

void ScrollBar::onLostCapture(Event&) {
#ifdef _WIN32
    timer_.stop();
#endif
    // Released: nothing is drawn pressed any more.
    parts_ &= ~kPressedMask;
    invalidate(false);
}

void ScrollBar::onMouseLeave(Event&) {
    parts_ &= ~kHoverMask;
    invalidate(false);
}

void ScrollBar::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    if (Style* style = barStyle()) style->draw(dc, bounds, this);
}

} // namespace nelvo
