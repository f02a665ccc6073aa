#include "dui/controls/ComboBox.h"

#include "dui/MemberHandler.h"
#include "dui/SkinLookup.h"
#include "dui/Style.h"

#include <algorithm>

#ifdef _WIN32
#include "dui/controls/ComboHelperWnd.h"
#include "dui/controls/ListBox.h"
#endif

namespace nelvo {

ComboBox::ComboBox() {
    setFlag(ControlFlag::RepaintOnState | ControlFlag::ClearFocusOnPress, true);
    listen<&ComboBox::open>(*this, EventCode::LButtonDown);
    listen<&ComboBox::onKeyDown>(*this, EventCode::KeyDown);
#ifdef _WIN32
    if (ComboHelperWnd* popup = ComboHelperWnd::create(*this)) popup_ = popup->handle();
#endif
}

ComboBox::~ComboBox() {
#ifdef _WIN32
    if (ComboHelperWnd* popup = this->popup()) {
        popup->forgetCombo();
        PostMessageW(popup_, WM_CLOSE, 0, 0);
    }
#endif
}

#ifdef _WIN32
ComboHelperWnd* ComboBox::popup() const {
    return popup_ ? dynamic_cast<ComboHelperWnd*>(WindowBase::fromHandle(popup_)) : nullptr;
}

ListBox* ComboBox::list() const {
    ComboHelperWnd* popup = this->popup();
    return popup ? &popup->list() : nullptr;
}

size_t ComboBox::itemCount() const {
    ListBox* list = this->list();
    return list ? list->itemCount() : 0;
}

void ComboBox::addItem(ControlPtr item) {
    if (ListBox* list = this->list()) list->addItem(std::move(item));
}
#else
ListBox* ComboBox::list() const { return nullptr; }
size_t ComboBox::itemCount() const { return 0; }
void ComboBox::addItem(ControlPtr) {}
#endif

void ComboBox::adoptItem(Control& combo, ControlPtr item) { static_cast<ComboBox&>(combo).addItem(std::move(item)); }

bool ComboBox::opensDownwards(size_t entries, int32_t fieldHeight, int32_t top, int32_t screenHeight,
                              int32_t& popupTop) {
    const int32_t rows = entries < size_t(kMostRows) ? int32_t(entries) : kMostRows;
    const int64_t below = int64_t(rows) * kRowHeight + fieldHeight + top + 8;
    if (below < screenHeight) {
        popupTop = top + fieldHeight;
        return true;
    }
    popupTop = top - (rows * kRowHeight + 4);
    return false;
}

int32_t ComboBox::popupHeight(size_t entries) {
    const int32_t rows = entries < size_t(kMostRows) ? int32_t(entries) : kMostRows;
    return rows * kRowHeight + 4;
}

bool ComboBox::commit(const std::u16string& chosen) {
    if (chosen == text()) return false;
    setText(attr::text, chosen);
    invalidate(false);
    accessibleChanged(access::Change::Value);
    Event e = makeEvent(EventCode::ValueChange, Routing::Direct);
    raiseEvent(e);
    return true;
}

void ComboBox::onKeyDown(Event& e) {
    constexpr intptr_t kSpace = 0x20, kUp = 0x26, kDown = 0x28, kF4 = 0x73;
    if (e.param1 == kSpace || e.param1 == kF4) {
        e.handled = 1;
        open(e);
        return;
    }
    if (e.param1 != kUp && e.param1 != kDown) return;
    e.handled = 1;
#ifdef _WIN32
    ListBox* entries = list();
    if (!entries || entries->itemCount() == 0) return;
    // The entry showing now, by its text; none shown steps onto an end.
    int32_t at = -1;
    for (size_t i = 0; i < entries->itemCount(); ++i)
        if (entries->item(i)->text() == text()) at = static_cast<int32_t>(i);
    const int32_t last = static_cast<int32_t>(entries->itemCount()) - 1;
    const int32_t next = at < 0 ? (e.param1 == kDown ? 0 : last) : std::clamp(at + (e.param1 == kDown ? 1 : -1), 0, last);
    commit(entries->item(static_cast<size_t>(next))->text());
#endif
}

void ComboBox::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    const std::u16string* name = findText(attr::style);
    Style* style = name ? findStyle(*name) : nullptr;
    if (!style) style = findStyle(u"combobox.xml");
    if (style) style->draw(dc, bounds, this);
}

void ComboBox::open(Event&) {
#ifdef _WIN32
    ComboHelperWnd* popup = this->popup();
    ControlWindow* w = window();
    HWND owner = w ? w->nativeHandle() : nullptr;
    Rect r;
    if (!popup || !owner || !windowRect(r)) return;
    // The screen is in device pixels, the box in layout units: the choice
    // of direction is made in units, the popup placed in pixels.
    const DpiScale scale = w->dpiScale();
    const Rect device = scale.toDevice(r);
    POINT corner{device.left, device.top};
    ClientToScreen(owner, &corner);
    int32_t top = 0;
    const bool down = opensDownwards(popup->list().itemCount(), r.height(), scale.toUnits(corner.y),
                                     scale.toUnits(GetSystemMetrics(SM_CYSCREEN)), top);
    const int32_t popupTop = down ? corner.y + device.height()
                                  : corner.y - scale.toDevice(popupHeight(popup->list().itemCount()));
    // Runs the popup's loop. Handlers inside may destroy this combo box:
    // nothing of it is touched afterwards.
    popup->open(corner.x, popupTop, r.width(), down, text(), scale.dpi);
#endif
}

} // namespace nelvo
