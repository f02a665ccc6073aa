// WindowImpl's pointer input: pointer messages become routed events under
// the capture and hover rules, and forget() drops whatever a leaving control
// held. The keyboard and the focus are in WindowKeyboard.cpp.
//
// Handlers run inside these functions and may destroy controls, the one
// being handled included: every control is looked up in the LiveSet again
// after each event before it is touched.

#include "dui/WindowImpl.h"

#include "dui/LiveSet.h"
#include "dui/WindowEvents.h"

#include <windowsx.h>

namespace nelvo {
namespace {

using windowevents::live;
using windowevents::raise;

void repaintOnState(Control* c) {
    if (live(c) && c->hasFlag(ControlFlag::RepaintOnState)) c->invalidate(false);
}

// True when `c` is `ancestor` or lies inside its subtree.
bool within(const Control* c, const Control* ancestor) {
    for (; c; c = c->parent())
        if (c == ancestor) return true;
    return false;
}

} // namespace

Control* WindowImpl::hit(int32_t x, int32_t y) const { return root_ ? root_->hitTest(x, y) : nullptr; }

void WindowImpl::onButtonDown(WPARAM wParam, LPARAM lParam, bool left) {
    hideTooltip();
    Control* c = hit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (!c || !c->enabled()) return;
    repaintOnState(c);
    if (!left) {
        if (!raise(c, EventCode::PreviewRButtonDown, Routing::Tunnel, wParam, lParam))
            raise(c, EventCode::RButtonDown, Routing::Bubble, wParam, lParam);
        return;
    }
    // A press anywhere but on the control that had the focus before the
    // window went away forgets it: a later activation from the keyboard
    // must not hand the focus back to a control the user clicked away from.
    if (rememberedFocus_ != c) rememberedFocus_ = nullptr;
    if (raise(c, EventCode::PreviewLButtonDown, Routing::Tunnel, wParam, lParam) || !live(c)) return;
    if (c->hasFlag(ControlFlag::CaptureOnPress)) {
        SetCapture(hwnd_);
        capture_ = c;
        c->setFlag(ControlFlag::Pressed, true);
        raise(c, EventCode::GotCapture, Routing::Direct);
        if (!live(c)) return;
    }
    if (c->hasFlag(ControlFlag::FocusOnPress))
        setFocus(c);
    else if (c->hasFlag(ControlFlag::ClearFocusOnPress))
        setFocus(nullptr);
    raise(c, EventCode::LButtonDown, Routing::Bubble, wParam, lParam);
}

void WindowImpl::onButtonUp(WPARAM wParam, LPARAM lParam, bool left) {
    if (left && capture_) {
        Control* c = capture_;
        repaintOnState(c);
        raise(c, EventCode::LButtonUp, Routing::Direct, wParam, lParam);
        releaseCapture();
        onMouseMove(wParam, lParam);
        return;
    }
    Control* c = hit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (!c || !c->enabled()) return;
    repaintOnState(c);
    const int32_t preview = left ? EventCode::PreviewLButtonUp : EventCode::PreviewRButtonUp;
    const int32_t up = left ? EventCode::LButtonUp : EventCode::RButtonUp;
    if (!raise(c, preview, Routing::Tunnel, wParam, lParam)) raise(c, up, Routing::Bubble, wParam, lParam);
}

void WindowImpl::onDoubleClick(WPARAM wParam, LPARAM lParam, bool left) {
    Control* c = hit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (!c || !c->enabled()) return;
    if (c->hasFlag(ControlFlag::WantsDoubleClick))
        raise(c, left ? EventCode::LButtonDbClick : EventCode::RButtonDbClick, Routing::Direct, wParam, lParam);
    else
        onButtonDown(wParam, lParam, left);
}

void WindowImpl::armTracking() {
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd_, HOVER_DEFAULT};
    if (TrackMouseEvent(&track)) tracking_ = true;
}

void WindowImpl::onMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!tracking_) armTracking();
    Control* c = hit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (c != hover_) updateHover(c, wParam, lParam);
    if (capture_)
        raise(capture_, EventCode::MouseMove, Routing::Direct, wParam, lParam);
    else if (live(c) && c->enabled())
        raise(c, EventCode::MouseMove, Routing::Bubble, wParam, lParam);
}

void WindowImpl::onMouseWheel(WPARAM wParam, LPARAM lParam) {
    // The wheel's position is on the screen; the event keeps it as it came.
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd_, &p);
    const Point at = scale_.toUnits(Point{p.x, p.y});
    Control* c = hit(at.x, at.y);
    if (c && c->enabled()) raise(c, EventCode::MouseWheel, Routing::Bubble, wParam, lParam);
}

void WindowImpl::onMouseHover(WPARAM, LPARAM lParam) {
    armTracking();
    if (capture_) return;
    Control* c = hit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (!c) return;
    if (const std::u16string* text = c->findText(attr::tooltip)) showTooltip(*text);
}

void WindowImpl::onMouseLeave(WPARAM wParam, LPARAM lParam) {
    hideTooltip();
    tracking_ = false;
    const auto chain = chain_;
    const size_t n = chainLength_;
    hover_ = nullptr;
    chainLength_ = 0;
    for (size_t i = 0; i < n; ++i) {
        Control* c = chain[i];
        if (!live(c)) continue;
        c->setFlag(ControlFlag::Hovered, false);
        repaintOnState(c);
        raise(c, EventCode::MouseLeave, Routing::Direct, wParam, lParam);
    }
}

void WindowImpl::updateHover(Control* target, WPARAM wParam, LPARAM lParam) {
    hideTooltip();
    // Pass 1: the new chain, target first. Beyond its 32 places the outer
    // ancestors are not tracked; the chain never overruns.
    std::array<Control*, kHoverChainLength> next{};
    size_t nextLength = 0;
    for (Control* c = target; c && nextLength < kHoverChainLength; c = c->parent()) next[nextLength++] = c;

    // Pass 2: how many controls both chains share from the outer end.
    size_t shared = 0;
    while (shared < chainLength_ && shared < nextLength &&
           chain_[chainLength_ - 1 - shared] == next[nextLength - 1 - shared])
        ++shared;

    // Pass 3: store the new state, then raise: the leaving controls from the
    // outermost to the old target, then the entering ones down to the new.
    const auto old = chain_;
    const size_t oldLength = chainLength_;
    chain_ = next;
    chainLength_ = nextLength;
    hover_ = target;
    for (size_t i = oldLength - shared; i-- > 0;) {
        Control* c = old[i];
        if (!live(c)) continue;
        c->setFlag(ControlFlag::Hovered, false);
        repaintOnState(c);
        raise(c, EventCode::MouseLeave, Routing::Direct, wParam, lParam);
    }
    for (size_t i = nextLength - shared; i-- > 0;) {
        Control* c = next[i];
        if (!live(c)) continue;
        c->setFlag(ControlFlag::Hovered, true);
        repaintOnState(c);
        raise(c, EventCode::MouseEnter, Routing::Direct, wParam, lParam);
    }
}

void WindowImpl::clearCapture() {
    Control* c = capture_;
    capture_ = nullptr;
    if (!live(c)) return;
    c->invalidate(false);
    c->setFlag(ControlFlag::Pressed, false);
    raise(c, EventCode::LostCapture, Routing::Direct);
}

void WindowImpl::onCaptureChanged() {
    if (capture_) clearCapture();
}

void WindowImpl::releaseCapture() {
    ReleaseCapture();  // WM_CAPTURECHANGED normally clears the capture control
    if (capture_) clearCapture();
}

LRESULT WindowImpl::onSetCursor(WPARAM wParam, LPARAM lParam) {
    Point p;
    if (cursorPosition(p))
        if (Control* c = hit(p.x, p.y))
            if (raise(c, EventCode::SetCursor, Routing::Direct)) return TRUE;
    return DefWindowProcW(hwnd_, WM_SETCURSOR, wParam, lParam);
}

// The messages made here carry device pixels, as the system's do.
void WindowImpl::sendMouseMoveAtCursor() {
    POINT p;
    if (cursorDevicePosition(p)) SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
}

void WindowImpl::postMouseMoveAtCursor() {
    POINT p;
    if (cursorDevicePosition(p)) PostMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
}

void WindowImpl::pointerMovedUnder() { postMouseMoveAtCursor(); }

LPARAM WindowImpl::unitsParam(LPARAM lParam) const {
    if (scale_.identity()) return lParam;
    const Point p = scale_.toUnits(Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(p.x)), static_cast<WORD>(static_cast<int16_t>(p.y)));
}

// --- Forgetting ------------------------------------------------------------

void WindowImpl::forget(Control& control) {
    if (capture_ && within(capture_, &control)) releaseCapture();
    if (focus_ && within(focus_, &control)) setFocus(nullptr);
    if (rememberedFocus_ && within(rememberedFocus_, &control)) rememberedFocus_ = nullptr;
    // A subtree leaves children first: once the hover target has gone, the
    // chain still names its ancestors, and a control leaving later must not
    // stay on it (its address may come back as a new control).
    bool onChain = false;
    for (size_t i = 0; i < chainLength_ && !onChain; ++i) onChain = chain_[i] == &control;
    if (onChain || (hover_ && within(hover_, &control))) {
        hideTooltip();
        updateHover(control.parent(), 0, 0);
        hover_ = nullptr;
        postMouseMoveAtCursor();
    }
}

} // namespace nelvo
