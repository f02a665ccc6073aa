#include "dui/controls/ImageButton.h"

#ifdef _WIN32
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

void ImageButton::paint(DeviceContext dc, const Rect& bounds, const Rect& clip) {
#ifdef _WIN32
    if (const std::u16string* img = findText(attr::img)) drawImage(dc, *img, bounds, nullptr);
#endif
    Button::paint(dc, bounds, clip);
}

} // namespace nelvo
