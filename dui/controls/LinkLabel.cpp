#include "dui/controls/LinkLabel.h"

#ifdef _WIN32
#include <shellapi.h>
#endif

namespace nelvo {

namespace {

void openInBrowser(std::u16string_view url) {
#ifdef _WIN32
    const std::u16string address(url);
    ShellExecuteW(nullptr, nullptr, L"iexplore", reinterpret_cast<const wchar_t*>(address.c_str()), nullptr, SW_SHOW);
#else
    (void)url;
#endif
}

LinkLabel::AddressOpener g_opener = &openInBrowser;

} // namespace

void LinkLabel::setAddressOpener(AddressOpener opener) { g_opener = opener ? opener : &openInBrowser; }

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
    if (const std::u16string* url = static_cast<LinkLabel*>(object)->findText(attr::url)) g_opener(*url);
}

} // namespace nelvo
