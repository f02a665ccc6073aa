#pragma once
// ImageButton: a push button that draws the image named by its `img`
// attribute stretched over itself, then its style on top.

#include "dui/controls/Button.h"

namespace nelvo {

class ImageButton : public Button {
public:
    void paint(DeviceContext dc, const Rect& bounds, const Rect& clip) override;
};

} // namespace nelvo
