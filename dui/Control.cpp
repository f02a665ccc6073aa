#include "dui/Control.h"

#include "dui/ControlWindow.h"
#include "dui/LiveSet.h"
#include "dui/Panel.h"
#include "dui/PostedTask.h"
#include "dui/RouteBuffer.h"
#include "dui/SkinLookup.h"
#include "dui/Style.h"
#include "dui/UiContext.h"

namespace nelvo {
namespace {

Control::ScriptReleaseHook g_scriptReleaseHook = nullptr;

} // namespace

Control::Control() = default;

Control::~Control() {
    handlers_.clearAll();
    if (hasFlag(ControlFlag::ScriptBound)) {
        if (g_scriptReleaseHook) g_scriptReleaseHook(this);
        flags_ &= ~ControlFlag::ScriptBound;
    }
}

void Control::setScriptReleaseHook(ScriptReleaseHook hook) { g_scriptReleaseHook = hook; }

void Control::destroy() {
    if (LiveSet::contains(this)) detach(*this);
    if (parent_)
        if (Panel* p = parent_->asPanel()) p->unlinkChild(this);
    delete this;
}

void Control::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    const std::u16string* name = findText(attr::style);
    if (!name) return;
    if (Style* style = findStyle(*name)) style->draw(dc, bounds, this);
}

Control* Control::hitTest(int32_t x, int32_t y) {
    if (!visible() || hasFlag(ControlFlag::HitTransparent)) return nullptr;
    return bounds_.contains(x, y) ? this : nullptr;
}

std::u16string_view Control::typeName() const { return u"Control"; }

Size Control::measureOverride(int32_t, int32_t) { return {0, 0}; }

Size Control::arrangeOverride(int32_t finalWidth, int32_t finalHeight) { return {finalWidth, finalHeight}; }

bool Control::attached() const { return LiveSet::contains(this); }

Panel* Control::asPanel() { return hasFlag(ControlFlag::IsPanel) ? static_cast<Panel*>(this) : nullptr; }

const Panel* Control::asPanel() const {
    return hasFlag(ControlFlag::IsPanel) ? static_cast<const Panel*>(this) : nullptr;
}

void Control::setFlag(uint32_t f, bool on) {
    f &= ~static_cast<uint32_t>(ControlFlag::IsPanel);
    const uint32_t before = flags_;
    if (on)
        flags_ |= f;
    else
        flags_ &= ~f;
    // What decides where the focus may be and what a client is told.
    constexpr uint32_t watched = ControlFlag::Enabled | ControlFlag::Visible | ControlFlag::Checked;
    if (const uint32_t changed = (before ^ flags_) & watched; changed && window_ && attached())
        window_->flagsChanged(*this, changed);
}

bool Control::focusable() const { return false; }

access::Role Control::accessibleRole() const { return access::Role::None; }

std::u16string Control::accessibleName() const {
    for (PropertyKey key : {attr::accessibleName, attr::text, attr::tooltip})
        if (const std::u16string* t = findText(key); t && !t->empty()) return *t;
    return {};
}

std::u16string Control::accessibleValue() const { return {}; }

uint32_t Control::accessibleState() const { return 0; }

std::u16string Control::defaultActionName() const { return {}; }

bool Control::doDefaultAction() { return false; }

access::Role Control::clientRole() const {
    return hasFlag(ControlFlag::ListItem) ? access::Role::ListItem : accessibleRole();
}

uint32_t Control::clientState() const {
    if (!hasFlag(ControlFlag::ListItem)) return accessibleState();
    return access::State::Selectable | (checked() ? access::State::Selected : 0);
}

std::u16string Control::clientActionName() const {
    return hasFlag(ControlFlag::ListItem) ? std::u16string(u"选择") : defaultActionName();
}

bool Control::clientAction() {
    if (!hasFlag(ControlFlag::ListItem)) return doDefaultAction();
    // The item lies in the list's stack.
    return parent_ && parent_->parent() && parent_->parent()->childAction(*this);
}

bool Control::childAction(Control&) { return false; }

void Control::shownChildren(std::vector<Control*>&) const {}

void Control::accessibleChanged(access::Change change) {
    if (window_ && attached()) window_->accessibleChange(*this, change);
}

std::u16string Control::text() const {
    const std::u16string* t = findText(attr::text);
    return t ? *t : std::u16string();
}

DelegateRef Control::addHandler(int32_t code, void* object, EventHandler handler) {
    return handlers_.add(code, object, handler);
}

void Control::removeHandler(int32_t code, void* object, EventHandler handler) {
    handlers_.remove(code, object, handler);
}

int32_t Control::raiseEvent(Event& event) {
    if (!LiveSet::contains(this)) return 0;

    // Pass 1: collect. Tunnel takes each list backwards and is delivered from
    // the end, so the root's handlers run first, each control's in
    // registration order, and the target's last.
    RouteBuffer route;
    const bool tunnel = event.routing == Routing::Tunnel;
    for (Control* c = this; c; c = c->parent_) {
        if (const HandlerMap::List* list = c->handlers_.find(event.code)) {
            if (tunnel)
                for (auto d = list->rbegin(); d != list->rend(); ++d) route.push(*d, c);
            else
                for (const DelegateRef& d : *list) route.push(d, c);
        }
        if (event.routing == Routing::Direct) break;
    }

    // Pass 2: deliver. Nothing here touches `this`: a handler may have
    // destroyed it. A destroyed control's delegates are cleared, so no
    // handler is called with a sender that is gone.
    const size_t n = route.size();
    for (size_t k = 0; k < n && !event.handled; ++k) {
        RouteBuffer::Entry& e = route[tunnel ? n - 1 - k : k];
        e.delegate->invoke(e.sender, &event);
    }
    return event.handled;
}

void Control::postEvent(const Event& event) {
    auto* task = new PostedTask;
    task->owner = this;
    task->function = &PostedTask::deliverEvent;
    task->target = this;
    task->attachment = LiveSet::serial(this);
    task->event = event;
    if (!UiContext::postTask(task)) PostedTask::discard(task);
}

int Control::invalidate(bool immediate) {
    if (!LiveSet::contains(this) || !window_) return 0;
    Rect r;
    Rect client;
    if (!windowRect(r) || !window_->clientRect(client)) return 0;
    r = intersect(r, client);
    if (r.empty()) return 0;
    window_->invalidateRect(r);
    window_->requestUpdate(immediate);
    return 1;
}

bool Control::windowRect(Rect& out) const {
    if (!LiveSet::contains(this)) return false;
    Rect r = bounds_;
    // The root's own bounds count as being at (0, 0).
    for (const Control* p = parent_; p && p->parent_; p = p->parent_) r = r.offset(p->bounds_.left, p->bounds_.top);
    out = r;
    return true;
}

bool Control::cursorPosition(Point& out) const {
    if (!LiveSet::contains(this) || !window_) return false;
    Point pt;
    if (!window_->cursorPosition(pt)) return false;
    for (const Control* c = this; c && c->parent_; c = c->parent_) {
        pt.x -= c->bounds_.left;
        pt.y -= c->bounds_.top;
    }
    out = pt;
    return true;
}

void Control::setChecked(bool on) {
    if (checked() == on) return;
    setFlag(ControlFlag::Checked, on);
    Event e = makeEvent(EventCode::ValueChange, Routing::Direct);
    raiseEvent(e);
    invalidate(false);
}

void attach(ControlWindow& window, Control& control) {
    LiveSet::insert(&control);
    control.window_ = &window;
    int32_t id;
    if (control.getInt(attr::id, id)) window.idMap().set(id, &control);
    Event e = makeEvent(EventCode::Attached, Routing::Direct);
    control.raiseEvent(e);
    if (Panel* panel = control.asPanel()) {
        for (Control* child = panel->firstChild(); child;) {
            Control* next = child->nextSibling();
            // A child added by an Attached handler was attached by addChild.
            if (!LiveSet::contains(child)) attach(window, *child);
            child = next;
        }
    }
}

void detach(Control& control) {
    if (!LiveSet::contains(&control)) return;
    if (Panel* panel = control.asPanel()) {
        for (Control* child = panel->firstChild(); child;) {
            Control* next = child->nextSibling();
            detach(*child);
            child = next;
        }
    }
    Event e = makeEvent(EventCode::Detached, Routing::Direct);
    control.raiseEvent(e);
    if (ControlWindow* w = control.window_) {
        w->forget(control);
        int32_t id;
        if (control.getInt(attr::id, id)) w->idMap().eraseIfNames(id, &control);
    }
    control.window_ = nullptr;
    LiveSet::erase(&control);
}

void PostedTask::run(PostedTask* task) {
    // Freed also when a handler throws on its way to the dispatcher's catch.
    std::unique_ptr<PostedTask> owned(task);
    if (owned->function) owned->function(owned.get());
}

void PostedTask::deliverEvent(PostedTask* task) {
    // The target may be gone, or its slot reused by another control: only
    // the attachment the event was posted in may receive it.
    const uint32_t serial = LiveSet::serial(task->target);
    if (serial == 0 || serial != task->attachment) return;
    task->event.handled = 0;
    task->target->raiseEvent(task->event);
}

} // namespace nelvo
