#include "dui/controls/LinkLabel.h"

#include "dui/MemberHandler.h"

#ifdef _WIN32
#include "base/RegisteredProgram.h"

#include <shellapi.h>
#endif

namespace nelvo {

namespace {

// The browser by the full path the system registers for it: by its bare name
// the shell would look in the current folder first, and an iexplore.exe
// planted in a download folder would run with our rights. Without a
// registered browser nothing opens.
void openInBrowser(std::u16string_view url) {
#ifdef _WIN32
    const std::wstring browser = registeredProgramPath(L"IEXPLORE.EXE");
    if (browser.empty()) return;
    const std::u16string address(url);
    ShellExecuteW(nullptr, nullptr, browser.c_str(), reinterpret_cast<const wchar_t*>(address.c_str()), nullptr,
                  SW_SHOW);
#else
    (void)url;
#endif
}

LinkLabel::AddressOpener g_opener = &openInBrowser;

} // namespace

void LinkLabel::setAddressOpener(AddressOpener opener) { g_opener = opener ? opener : &openInBrowser; }

LinkLabel::LinkLabel() {
    setFlag(ControlFlag::HitTransparent, false);
    listen<&LinkLabel::onSetCursor>(*this, EventCode::SetCursor);
    listen<&LinkLabel::onPress>(*this, EventCode::LButtonDown);
    listen<&LinkLabel::onKeyDown>(*this, EventCode::KeyDown);
}

std::u16string LinkLabel::accessibleValue() const {
    const std::u16string* url = findText(attr::url);
    return url ? *url : std::u16string();
}

bool LinkLabel::doDefaultAction() {
    const std::u16string* url = findText(attr::url);
    if (!url) return false;
    g_opener(*url);
    return true;
}

void LinkLabel::onKeyDown(Event& e) {
    constexpr intptr_t kEnter = 0x0D, kSpace = 0x20;
    if (e.param1 != kEnter && e.param1 != kSpace) return;
    e.handled = 1;
    doDefaultAction();
}

void LinkLabel::onSetCursor(Event& e) {
#ifdef _WIN32
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
#endif
    e.handled = 1;
}

void LinkLabel::onPress(Event& e) {
    e.handled = 1;
    if (const std::u16string* url = findText(attr::url)) g_opener(*url);
}

} // namespace nelvo
