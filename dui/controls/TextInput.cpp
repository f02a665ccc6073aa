#include "dui/controls/TextInput.h"

#include "dui/ControlWindow.h"
#include "dui/MemberHandler.h"
#include "dui/controls/TextKeys.h"

#ifdef _WIN32
#include "dui/SkinLookup.h"
#endif

namespace nelvo {

TextInput::TextInput() {
    setFlag(ControlFlag::RepaintOnState | ControlFlag::CaptureOnPress | ControlFlag::FocusOnPress, true);
#ifdef _WIN32
    selectionBrush_.reset(CreateSolidBrush(textkeys::kSelectionColour));
    widths_.setFont(findFont(u"Default"));
#endif
    listen<&TextInput::onAttached>(*this, EventCode::Attached);
    listen<&TextInput::onLButtonDown>(*this, EventCode::LButtonDown);
    listen<&TextInput::onMouseMove>(*this, EventCode::MouseMove);
    listen<&TextInput::onKeyDown>(*this, EventCode::KeyDown);
    listen<&TextInput::onKeyPress>(*this, EventCode::KeyPress);
    listen<&TextInput::onGotFocus>(*this, EventCode::GotFocus);
    listen<&TextInput::onLostFocus>(*this, EventCode::LostFocus);
    listen<&TextInput::onSetCursor>(*this, EventCode::SetCursor);
}

TextInput::~TextInput() = default;

CharWidths& TextInput::widths() {
#ifdef _WIN32
    return widths_;
#else
    static FixedCharWidths fixed(8);
    return fixed;
#endif
}

void TextInput::onGotFocus(Event&) {
    if (ControlWindow* w = window()) w->setCaretSize(1, lineHeight());
    focusGained();
}

void TextInput::onLostFocus(Event&) {
    if (ControlWindow* w = window()) w->hideCaret();
    focusLost();
}

void TextInput::onSetCursor(Event& e) {
    if (!enabled()) return;
#ifdef _WIN32
    SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
#endif
    e.handled = 1;
}

} // namespace nelvo
