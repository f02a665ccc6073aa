#include "dui/controls/ScrollPanel.h"

#include "dui/LayoutMath.h"
#include "dui/SkinLookup.h"
#include "dui/Style.h"
#include "dui/controls/ScrollBar.h"
#include "dui/MemberHandler.h"

#include <algorithm>

#ifdef _WIN32
#include "dui/ImageRecord.h"
#endif

namespace nelvo {

using namespace layout;

namespace {

// The width or height of the `barSkin` of a bar style; 17 without the style
// or its image.
int32_t barSkinSize(std::u16string_view styleName, bool width) {
#ifdef _WIN32
    const Style* style = findStyle(styleName);
    const std::u16string* name = style ? style->findText(attr::barSkin) : nullptr;
    ImageRecord* image = name ? findImage(*name) : nullptr;
    if (image && image->bitmap()) return width ? image->width() : image->height();
#else
    (void)styleName, (void)width;
#endif
    return ScrollPanel::kDefaultBarSize;
}

} // namespace

ScrollPanel::ScrollPanel() { listen<&ScrollPanel::onKeyDown>(*this, EventCode::KeyDown); }

void ScrollPanel::onKeyDown(Event& e) {
    constexpr intptr_t kPageUp = 0x21, kPageDown = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26,
                       kRight = 0x27, kDown = 0x28;
    constexpr int32_t kLine = 20;
    const bool across = e.param1 == kLeft || e.param1 == kRight;
    ScrollBar* bar = across ? (horizontal_ ? horizontalBar_ : nullptr) : (vertical_ ? verticalBar_ : nullptr);
    if (!bar) return;
    const int64_t position = bar->position();
    const int64_t page = std::max(1, bar->page());
    int64_t next;
    switch (e.param1) {
    case kUp: case kLeft: next = position - kLine; break;
    case kDown: case kRight: next = position + kLine; break;
    case kPageUp: next = position - page; break;
    case kPageDown: next = position + page; break;
    case kHome: next = 0; break;
    case kEnd: next = bar->maximum(); break;
    default: return;
    }
    e.handled = 1;
    bar->setPosition(static_cast<int32_t>(std::clamp<int64_t>(next, INT32_MIN, INT32_MAX)));
}

ScrollBar* ScrollPanel::createScrollBar() { return new ScrollBar; }

int32_t ScrollPanel::verticalBarWidth() const { return barSkinSize(u"vscrollbar.xml", true); }

int32_t ScrollPanel::horizontalBarHeight() const { return barSkinSize(u"hscrollbar.xml", false); }

Control* ScrollPanel::content() const {
    Control* first = firstChild();
    if (first == verticalBar_ || first == horizontalBar_) return nullptr;
    return first;
}

void ScrollPanel::destroyBars() {
    if (ScrollBar* bar = verticalBar_) {
        verticalBar_ = nullptr;
        bar->destroy();
    }
    if (ScrollBar* bar = horizontalBar_) {
        horizontalBar_ = nullptr;
        bar->destroy();
    }
}

void ScrollPanel::decideBars(int32_t width, int32_t height) {
    const Keyword verticalMode = keywordOr(attr::scrollvertical, Keyword::Auto);
    const Keyword horizontalMode = keywordOr(attr::scrollhorizontal, Keyword::Never);
    vertical_ = verticalMode == Keyword::Always;
    horizontal_ = horizontalMode == Keyword::Always;
    const int32_t barWidth = verticalBarWidth();
    const int32_t barHeight = horizontalBarHeight();

    if (Control* c = content()) {
        if (verticalMode == Keyword::Never) {
            // Pass 1a: only the horizontal axis may scroll.
            if (horizontalMode == Keyword::Auto) horizontal_ = width < c->measure(kUnbounded, height).cx;
            if (horizontal_)
                c->measure(kUnbounded, sub(height, barHeight));
            else if (horizontalMode == Keyword::Never)
                c->measure(width, height);  // nothing scrolls: the content gets the viewport
        } else if (horizontalMode != Keyword::Never) {
            // Pass 1b: both axes may scroll; a bar on one axis can make the
            // other one needed.
            const Size d = c->measure(kUnbounded, kUnbounded);
            if (width < d.cx) {
                horizontal_ = true;
                if (sub(height, barHeight) < d.cy) vertical_ = true;
            } else if (height < d.cy) {
                vertical_ = true;
                if (sub(width, barWidth) < d.cx) horizontal_ = true;
            }
        } else {
            // Pass 1c: only the vertical axis may scroll.
            if (verticalMode == Keyword::Auto) vertical_ = height < c->measure(width, kUnbounded).cy;
            if (vertical_) c->measure(sub(width, barWidth), kUnbounded);
        }
    }

    // Pass 2: make and measure the bars.
    if (vertical_ && !verticalBar_) {
        verticalBar_ = createScrollBar();
        verticalBar_->setVertical(true);
        addChild(verticalBar_);
    }
    if (horizontal_ && !horizontalBar_) {
        horizontalBar_ = createScrollBar();
        horizontalBar_->setVertical(false);
        addChild(horizontalBar_);
    }
    if (verticalBar_) verticalBar_->measure(barWidth, horizontal_ ? sub(height, barHeight) : height);
    if (horizontalBar_) horizontalBar_->measure(vertical_ ? sub(width, barWidth) : width, barHeight);
}

Size ScrollPanel::arrangeOverride(int32_t width, int32_t height) {
    // Pass 1: new bars for the new size, keeping where the old ones were.
    const int32_t verticalPosition = verticalBar_ ? verticalBar_->position() : 0;
    const int32_t horizontalPosition = horizontalBar_ ? horizontalBar_->position() : 0;
    destroyBars();
    decideBars(width, height);

    // Pass 2: the bars along the right and bottom edges of the viewport.
    const int32_t barWidth = vertical_ ? verticalBarWidth() : 0;
    const int32_t barHeight = horizontal_ ? horizontalBarHeight() : 0;
    const int32_t viewWidth = sub(width, barWidth);
    const int32_t viewHeight = sub(height, barHeight);
    if (verticalBar_) verticalBar_->arrange({sub(width, barWidth), 0, width, viewHeight});
    if (horizontalBar_) horizontalBar_->arrange({0, sub(height, barHeight), viewWidth, height});

    // Pass 3: the content at least as large as the viewport.
    Control* c = content();
    if (c) {
        const Size d = c->desiredSize();
        c->arrange({0, 0, max(d.cx, viewWidth), max(d.cy, viewHeight)});
        contentOrigin_ = c->bounds();
    } else {
        contentOrigin_ = {};
    }

    // Pass 4: the bars' extents, then the positions they had.
    if (verticalBar_) {
        verticalBar_->setMaximum(contentOrigin_.height());
        verticalBar_->setPage(viewHeight);
        verticalBar_->setPosition(verticalBar_->position());
    }
    if (horizontalBar_) {
        horizontalBar_->setMaximum(contentOrigin_.width());
        horizontalBar_->setPage(viewWidth);
        horizontalBar_->setPosition(horizontalBar_->position());
    }
    if (verticalBar_) verticalBar_->setPosition(verticalPosition);
    if (horizontalBar_) horizontalBar_->setPosition(horizontalPosition);
    return {width, height};
}

void ScrollPanel::scrollContent(ScrollBar& bar) {
    Control* c = content();
    if (!c) return;
    const Rect now = c->bounds();
    if (&bar == verticalBar_ && vertical_) {
        const int32_t top = sub(contentOrigin_.top, bar.position());
        c->setBounds({now.left, top, now.right, add(top, now.height())});
    } else if (&bar == horizontalBar_ && horizontal_) {
        const int32_t left = sub(contentOrigin_.left, bar.position());
        c->setBounds({left, now.top, add(left, now.width()), now.bottom});
    } else {
        return;
    }
    invalidate(false);
}

} // namespace nelvo
