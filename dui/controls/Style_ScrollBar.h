#pragma once

#include "dui/Style.h"

namespace nelvo {

// Until its drawing arrives it draws as the base style does.
class Style_ScrollBar : public Style {};

} // namespace nelvo
