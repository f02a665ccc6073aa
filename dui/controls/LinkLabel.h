#pragma once
// LinkLabel: a label that takes mouse input, shows the hand cursor and
// opens its `url` in the browser when pressed (on the press, not the
// release). Without `url` a press does nothing.

#include "dui/controls/Label.h"

#include <string_view>

namespace nelvo {

class LinkLabel : public Label {
public:
    LinkLabel();

    // What a press does with the address. The default opens it in the
    // browser; tests put a recorder here (null: the default again). UI
    // thread only.
    using AddressOpener = void (*)(std::u16string_view url);
    static void setAddressOpener(AddressOpener opener);

    bool focusable() const override { return true; }
    access::Role accessibleRole() const override { return access::Role::Link; }
    uint32_t accessibleState() const override { return access::State::Linked; }
    std::u16string accessibleValue() const override;
    std::u16string defaultActionName() const override { return u"打开"; }
    // Opens the address; false without one.
    bool doDefaultAction() override;

private:
    void onSetCursor(Event& e);
    void onPress(Event& e);
    // Enter and Space open the address.
    void onKeyDown(Event& e);
};

} // namespace nelvo
