#include "dui/Panel.h"
#include "dui/LayoutMath.h"

#include "dui/LiveSet.h"

#include <cassert>

#ifdef _WIN32
#include "base/UniqueHandle.h"
#include "dui/DpiScale.h"
#endif

namespace nelvo {

Panel::Panel() { flags_ |= ControlFlag::IsPanel; }

Panel::~Panel() {
    while (Control* child = last_) child->destroy();  // unlinks itself
}

void Panel::addChild(Control* child) {
    if (!child) return;
    assert(!child->parent_ && "a control has one parent: take it out of the old one first");
    child->parent_ = this;
    child->previous_ = last_;
    child->next_ = nullptr;
    if (last_)
        last_->next_ = child;
    else
        first_ = child;
    last_ = child;
    ++count_;
    if (LiveSet::contains(this) && window_) attach(*window_, *child);
}

void Panel::unlinkChild(Control* child) {
    // A control may name this panel as parent without being in its list
    // (a tab page); then there is nothing to unlink.
    const bool linked = child->previous_ ? child->previous_->next_ == child : first_ == child;
    if (child->parent_ != this || !linked) {
        child->parent_ = nullptr;
        return;
    }
    if (child->previous_)
        child->previous_->next_ = child->next_;
    else
        first_ = child->next_;
    if (child->next_)
        child->next_->previous_ = child->previous_;
    else
        last_ = child->previous_;
    child->parent_ = child->previous_ = child->next_ = nullptr;
    --count_;
}

void Panel::shownChildren(std::vector<Control*>& out) const {
    for (Control* c = first_; c; c = c->nextSibling())
        if (c->visible()) out.push_back(c);
}

void Panel::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
    Control::paint(dc, bounds, clip);
    for (Control* child = first_; child; child = child->nextSibling())
        if (child->visible()) paintChild(dc, *child, bounds, clip);
}

void Panel::paintChild(DeviceContext dc, Control& child, const Rect& panelBounds, const Rect& clip) {
    const Rect childBounds = child.bounds().offset(panelBounds.left, panelBounds.top);
    const Rect childClip = intersect(childBounds, clip);
    if (childClip.empty()) return;
#ifdef _WIN32
    // A clip region is in device pixels, whatever scale the context draws at.
    SaveDcGuard saved(dc);
    const Rect device = dpiScaleOf(dc).toDevice(childClip);
    UniqueRegion region(CreateRectRgn(device.left, device.top, device.right, device.bottom));
    SelectClipRgn(dc, region.get());
#endif
    child.paint(dc, childBounds, childClip);
}

Control* Panel::hitTest(int32_t x, int32_t y) {
    if (!Control::hitTest(x, y)) return nullptr;
    const int32_t cx = layout::sub(x, bounds().left);
    const int32_t cy = layout::sub(y, bounds().top);
    for (Control* child = last_; child; child = child->previousSibling())
        if (Control* hit = child->hitTest(cx, cy)) return hit;
    return this;
}

std::u16string_view Panel::typeName() const { return u"Panel"; }

} // namespace nelvo
