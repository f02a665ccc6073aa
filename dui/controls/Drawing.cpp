#include "dui/controls/Drawing.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#include "dui/SkinLookup.h"
#endif

namespace nelvo {

#ifdef _WIN32
namespace {

ImageRecord* imageOf(const Control& c) {
    const std::u16string* src = c.findText(attr::src);
    return src ? findImage(*src) : nullptr;
}

} // namespace

void Drawing::paint(DeviceContext dc, const Rect& bounds, const Rect&) {
    if (ImageRecord* image = imageOf(*this)) image->drawStretched(dc, bounds);
}

Size Drawing::measureOverride(int32_t, int32_t) {
    if (ImageRecord* image = imageOf(*this)) return {image->width(), image->height()};
    return {0, 0};
}
#else
// The native build has no skin: nothing to draw or measure.
void Drawing::paint(DeviceContext, const Rect&, const Rect&) {}
Size Drawing::measureOverride(int32_t, int32_t) { return {0, 0}; }
#endif

} // namespace nelvo
