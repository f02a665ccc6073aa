#pragma once
// ToggleIconButton: a toggle button whose style shows `icon` and `text`
// when unchecked, `offIcon` and `offText` when checked.

#include "dui/controls/ToggleButton.h"

namespace nelvo {

class ToggleIconButton : public ToggleButton {};

} // namespace nelvo
