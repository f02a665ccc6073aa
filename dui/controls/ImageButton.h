#pragma once
// ImageButton: a button that draws the image named by `img` under its style.
// Placeholder until the control itself is built: the right base class, type
// name and construction flags, no behaviour of its own yet.

#include "dui/controls/Button.h"

namespace nelvo {

class ImageButton : public Button {
public:
};

} // namespace nelvo
