// WindowImpl's keyboard: key messages go to the focus control as routed
// events; what it leaves unhandled of Tab, Enter and Escape moves the focus
// or presses a button, as in the system's dialogs. Also the focus itself,
// the focus cue and the win events that tell accessibility clients what
// changed.
//
// Handlers run inside these functions and may destroy controls: every
// control is looked up in the LiveSet again after each event.

#include "dui/WindowImpl.h"

#include "dui/FocusOrder.h"
#include "dui/LiveSet.h"
#include "dui/WindowEvents.h"

namespace nelvo {
namespace {

using windowevents::live;
using windowevents::raise;

bool keyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Text a person types into shows its caret as the focus; everything else
// gets the dotted frame.
bool framesFocus(const Control& c) {
    return c.clientRole() != access::Role::Text || (c.clientState() & access::State::ReadOnly);
}

} // namespace

// --- Keys ------------------------------------------------------------------

bool WindowImpl::onKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        showFocusCues();
        // A key with no focus control gives the focus to the first control
        // and then acts there; Tab chooses its own end of the order.
        if (!focus_ && wParam != VK_TAB)
            if (Control* first = nextInTabOrder(*root_, nullptr, true)) setFocus(first);
    }
    Control* c = focus_;
    int32_t handled = 0;
    if (c) {
        int32_t preview = EventCode::PreviewKeyDown, main = EventCode::KeyDown;
        if (message == WM_KEYUP) {
            preview = EventCode::PreviewKeyUp;
            main = EventCode::KeyUp;
        } else if (message == WM_CHAR) {
            preview = EventCode::PreviewKeyPress;
            main = EventCode::KeyPress;
        }
        handled = raise(c, preview, Routing::Tunnel, wParam, lParam);
        if (!handled) handled = raise(c, main, Routing::Bubble, wParam, lParam);
    }
    if (message == WM_KEYDOWN && !handled && root_ && LiveSet::contains(root_.get())) dialogKey(wParam);
    return true;
}

void WindowImpl::dialogKey(WPARAM key) {
    switch (key) {
    case VK_TAB:
        if (keyDown(VK_CONTROL) || keyDown(VK_MENU)) return;
        if (Control* next = nextInTabOrder(*root_, focus_, !keyDown(VK_SHIFT))) setFocus(next);
        return;
    case VK_RETURN: {
        // The focused push button is the one Enter presses; elsewhere the
        // page's default button.
        Control* target = focus_ && focus_->clientRole() == access::Role::PushButton
                              ? focus_
                              : markedControl(*root_, attr::isDefault);
        if (target) target->clientAction();
        return;
    }
    case VK_ESCAPE:
        requestClose();
        return;
    default:
        return;
    }
}

bool WindowImpl::requestClose() {
    if (!root_) return false;
    Control* cancel = markedControl(*root_, attr::isCancel);
    return cancel && cancel->clientAction();
}

// --- Focus -----------------------------------------------------------------

void WindowImpl::setFocus(Control* control) {
    // Only a control of this window can hold its focus: forget() would never
    // hear of another one leaving, and the focus would be left dangling.
    if (control && (!live(control) || control->window() != this)) return;
    if (control == focus_) return;
    rememberedFocus_ = nullptr;
    if (Control* old = focus_) {
        old->setFlag(ControlFlag::Focused, false);
        invalidateFocusCue(old);
        raise(old, EventCode::LostFocus, Routing::Direct);
    }
    focus_ = control;
    if (live(control)) {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        control->setFlag(ControlFlag::Focused, true);
        invalidateFocusCue(control);
        raise(control, EventCode::GotFocus, Routing::Direct);
        if (focus_ == control) notifyEvent(EVENT_OBJECT_FOCUS, control);
    }
}

void WindowImpl::onKillFocus() {
    Control* c = focus_;
    if (!c) return;
    // The focus comes back to the control when the window is activated again
    // from the keyboard. Until then it has lost the focus like by any other
    // path, bit included: an editor without the focus must not take the
    // wheel or place the caret after a click activated the window elsewhere.
    focus_ = nullptr;
    rememberedFocus_ = c;
    c->setFlag(ControlFlag::Focused, false);
    invalidateFocusCue(c);
    raise(c, EventCode::LostFocus, Routing::Direct);
    if (!live(c) && rememberedFocus_ == c) rememberedFocus_ = nullptr;
}

void WindowImpl::onActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_ACTIVE && rememberedFocus_) setFocus(rememberedFocus_);
    if (LOWORD(wParam) != WA_INACTIVE) postFocusCheck();
}

void WindowImpl::postFocusCheck() {
    if (focusCheckPosted_) return;
    focusCheckPosted_ = PostMessageW(hwnd_, kFocusCheckMessage, 0, 0) != FALSE;
}

void WindowImpl::onFocusCheck() {
    focusCheckPosted_ = false;
    if (!root_) return;
    // A control on a page that went away, or one disabled, gives the focus
    // up; with the keyboard in use, the first control of what is drawn now
    // takes it (a page shown puts the focus on its first control).
    if (focus_ && (!focus_->enabled() || !isShown(*root_, *focus_))) setFocus(nullptr);
    if (!focus_ && cuesShown_ && GetFocus() == hwnd_)
        if (Control* first = nextInTabOrder(*root_, nullptr, true)) setFocus(first);
    NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

// --- Focus cue -------------------------------------------------------------

void WindowImpl::showFocusCues() {
    if (!cuesShown_) SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

LRESULT WindowImpl::onUpdateUiState(WPARAM wParam) {
    if (HIWORD(wParam) & UISF_HIDEFOCUS) {
        switch (LOWORD(wParam)) {
        case UIS_SET:
            setFocusCues(false);
            break;
        case UIS_CLEAR:
            setFocusCues(true);
            break;
        default:
            break;
        }
    }
    return 0;
}

void WindowImpl::setFocusCues(bool shown) {
    if (shown == cuesShown_) return;
    cuesShown_ = shown;
    if (live(focus_)) {
        invalidateFocusCue(focus_);
        focus_->invalidate(false);
    }
}

void WindowImpl::invalidateFocusCue(Control* control) {
    Rect r;
    if (cuesShown_ && live(control) && control->windowRect(r)) invalidateRect(r);
}

void WindowImpl::paintFocusCue(HDC dc) {
    Control* c = focus_;
    Rect r;
    if (!cuesShown_ || !live(c) || !framesFocus(*c) || !c->windowRect(r) || !isShown(*root_, *c)) return;
    RECT frame{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    if (frame.right <= frame.left || frame.bottom <= frame.top) frame = {r.left, r.top, r.right, r.bottom};
    // The frame inverts what lies below; text and background colours set
    // it to black and white dots.
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &frame);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

// --- What accessibility clients hear of ------------------------------------

std::vector<Control*> WindowImpl::accessibleChildren() const {
    std::vector<Control*> children;
    if (!root_ || !LiveSet::contains(root_.get())) return children;
    for (Control* c : shownControls(*root_))
        if (c->clientRole() != access::Role::None) children.push_back(c);
    return children;
}

long WindowImpl::accessibleId(const Control* control) const {
    if (!control) return CHILDID_SELF;
    const std::vector<Control*> children = accessibleChildren();
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i] == control) return static_cast<long>(i + 1);
    return CHILDID_SELF;
}

void WindowImpl::notifyEvent(DWORD event, const Control* control) {
    const long id = accessibleId(control);
    // The window itself only hears of its own focus.
    if (id == CHILDID_SELF && event != EVENT_OBJECT_FOCUS) return;
    NotifyWinEvent(event, hwnd_, OBJID_CLIENT, id);
}

void WindowImpl::flagsChanged(Control& control, uint32_t changed) {
    if (changed & (ControlFlag::Visible | ControlFlag::Enabled)) postFocusCheck();
    if (changed & (ControlFlag::Enabled | ControlFlag::Checked)) notifyEvent(EVENT_OBJECT_STATECHANGE, &control);
}

void WindowImpl::accessibleChange(Control& control, access::Change change) {
    switch (change) {
    case access::Change::Name:
        notifyEvent(EVENT_OBJECT_NAMECHANGE, &control);
        break;
    case access::Change::Value:
        notifyEvent(EVENT_OBJECT_VALUECHANGE, &control);
        break;
    case access::Change::State:
        notifyEvent(EVENT_OBJECT_STATECHANGE, &control);
        break;
    }
}

} // namespace nelvo
