#pragma once
// IconButton: a push button whose style places an icon beside its text.

#include "dui/controls/Button.h"

namespace nelvo {

class IconButton : public Button {};

} // namespace nelvo
