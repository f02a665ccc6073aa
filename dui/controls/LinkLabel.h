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

private:
    void onSetCursor(Event& e);
    void onPress(Event& e);
};

} // namespace nelvo
