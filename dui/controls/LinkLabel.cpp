#include "dui/controls/LinkLabel.h"

#ifdef _WIN32
#include <shellapi.h>
#endif

namespace nelvo {

LinkLabel::LinkLabel() {
    setFlag(ControlFlag::HitTransparent, false);
    addHandler(EventCode::SetCursor, this, &LinkLabel::onSetCursor);
    addHandler(EventCode::LButtonDown, this, &LinkLabel::onPress);
}

void LinkLabel::onSetCursor(void*, Control*, Event* e) {
#ifdef _WIN32
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
#endif
    e->handled = 1;
}

void LinkLabel::onPress(void* object, Control*, Event* e) {
    e->handled = 1;
#ifdef _WIN32
    const std::u16string* url = static_cast<LinkLabel*>(object)->findText(attr::url);
    if (!url) return;
    ShellExecuteW(nullptr, nullptr, L"iexplore", reinterpret_cast<const wchar_t*>(url->c_str()), nullptr, SW_SHOW);
#else
    (void)object;
#endif
}

} // namespace nelvo
