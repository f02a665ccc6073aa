#include "dui/controls/Slider.h"

#include "dui/ControlWindow.h"
#include "dui/LiveSet.h"
#include "dui/MemberHandler.h"
#include "dui/SkinLookup.h"
#include "dui/Style.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"

#include <windows.h>
#endif

#include <algorithm>
#include <string>

namespace nelvo {
namespace {

int32_t clampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

} // namespace

Slider::Slider() {
    setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::ClearFocusOnPress |
                ControlFlag::SliderWheel,
            true);
    listen<&Slider::onLButtonDown>(*this, EventCode::LButtonDown);
    listen<&Slider::onMouseMove>(*this, EventCode::MouseMove);
    listen<&Slider::onMouseLeave>(*this, EventCode::MouseLeave);
    listen<&Slider::onMouseWheel>(*this, EventCode::MouseWheel);
    listen<&Slider::onKeyDown>(*this, EventCode::KeyDown);
}

std::u16string Slider::accessibleValue() const {
    std::u16string text;
    const std::string digits = std::to_string(value_);
    text.assign(digits.begin(), digits.end());
    return text;
}

void Slider::onKeyDown(Event& e) {
    constexpr intptr_t kPageUp = 0x21, kPageDown = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26,
                       kRight = 0x27, kDown = 0x28;
    const int32_t page = std::max(1, maximum_ / 10);
    int64_t next = value_;
    switch (e.param1) {
    case kLeft: case kDown: next -= 1; break;
    case kRight: case kUp: next += 1; break;
    case kPageDown: next -= page; break;
    case kPageUp: next += page; break;
    case kHome: next = 0; break;
    case kEnd: next = maximum_; break;
    default: return;
    }
    e.handled = 1;
    setValue(clampToInt32(next));
}

bool Slider::horizontal() const { return keywordOr(attr::orientation, Keyword::Horizontal) == Keyword::Horizontal; }

Style* Slider::sliderStyle() const {
    const std::u16string* name = findText(attr::style);
    return findStyle(name ? std::u16string_view(*name) : u"slider.xml");
}

void Slider::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    if (Style* style = sliderStyle()) style->draw(dc, bounds, this);
}

bool Slider::thumbSize(Size& out) const {
#ifdef _WIN32
    const Style* style = sliderStyle();
    const std::u16string* name = style ? style->findText(attr::thumbUpSkin) : nullptr;
    ImageRecord* image = name ? findImage(*name) : nullptr;
    if (!image || !image->bitmap()) return false;
    out = {image->width(), image->height()};
    return true;
#else
    (void)out;
    return false;
#endif
}

Size Slider::measureOverride(int32_t availableWidth, int32_t availableHeight) {
    Size thumb;
    if (!thumbSize(thumb)) return {availableWidth, availableHeight};
    return horizontal() ? Size{availableWidth, thumb.cy} : Size{thumb.cx, availableHeight};
}

bool Slider::thumbRect(int32_t width, int32_t height, Rect& out) const {
    Size thumb;
    if (!thumbSize(thumb)) return false;
    // The value's share of the track the thumb's start can move along; 64
    // bits hold the product, and a maximum of 0 keeps the thumb at the start.
    auto start = [&](int32_t extent, int32_t size) {
        if (maximum_ <= 0) return 0;
        return clampToInt32((static_cast<int64_t>(extent) - 2 * (size / 2)) * value_ / maximum_);
    };
    if (horizontal()) {
        const int32_t left = start(width, thumb.cx);
        out = {left, 0, layout::add(left, thumb.cx), height};
    } else {
        const int32_t top = start(height, thumb.cy);
        out = {0, top, width, layout::add(top, thumb.cy)};
    }
    return true;
}

bool Slider::valueAt(int32_t width, int32_t height, Point p, int32_t& out) const {
    Size thumb;
    if (!thumbSize(thumb)) return false;
    const bool across = horizontal();
    const int64_t half = (across ? thumb.cx : thumb.cy) / 2;
    const int64_t room = (across ? width : height) - 2 * half;
    if (room <= 0) return false;
    out = clampToInt32(((across ? p.x : p.y) - half) * maximum_ / room);
    return true;
}

void Slider::setValue(int32_t value) {
    const int32_t v = std::clamp(value, 0, std::max(maximum_, 0));
    if (v == value_) return;
    value_ = v;
    Event e = makeEvent(EventCode::ValueChange, Routing::Direct);
    raiseEvent(e);
    if (!LiveSet::contains(this)) return;
    invalidate(false);
    accessibleChanged(access::Change::Value);
}

void Slider::valueFromPointer(const Event& e) {
    Rect r;
    if (!windowRect(r)) return;
    const Point p = eventPoint(e);
    int32_t v;
    if (valueAt(r.width(), r.height(), {layout::sub(p.x, r.left), layout::sub(p.y, r.top)}, v)) setValue(v);
}

void Slider::onLButtonDown(Event& e) {
    e.handled = 1;
    valueFromPointer(e);
}

void Slider::onMouseMove(Event& e) {
    if (hasFlag(ControlFlag::Pressed)) {
        valueFromPointer(e);
        return;
    }
    Rect r, thumb;
    if (!windowRect(r)) return;
    const Point p = eventPoint(e);
    const bool over = thumbRect(r.width(), r.height(), thumb) &&
                      thumb.contains(layout::sub(p.x, r.left), layout::sub(p.y, r.top));
    if (over == checked()) return;
    setFlag(ControlFlag::Checked, over);
    invalidate(false);
}

void Slider::onMouseLeave(Event&) {
    if (!checked()) return;
    setFlag(ControlFlag::Checked, false);
    invalidate(false);
}

void Slider::onMouseWheel(Event& e) {
    if (!hasFlag(ControlFlag::SliderWheel)) return;
    e.handled = 1;
    ControlWindow* w = window();
    setValue(clampToInt32(static_cast<int64_t>(value_) + wheelDelta(e) / 60));
    // The thumb moved under a still pointer: let the hover follow it.
    if (w && LiveSet::contains(this)) w->pointerMovedUnder();
}

} // namespace nelvo
