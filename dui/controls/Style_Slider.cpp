#include "dui/controls/Style_Slider.h"

#include "dui/controls/Slider.h"

#ifdef _WIN32
#include "dui/ImageRecord.h"
#include "dui/controls/SkinDrawing.h"
#endif

namespace nelvo {

#ifdef _WIN32
namespace {

// The height of the image a style property names; 0 without it.
int32_t imageHeight(const Style& style, PropertyKey key) {
    const std::u16string* name = style.findText(key);
    ImageRecord* image = name ? findImage(*name) : nullptr;
    return image ? image->height() : 0;
}

} // namespace

void Style_Slider::draw(DeviceContext dc, const Rect& rect, Control* control) {
    const auto* slider = dynamic_cast<const Slider*>(control);
    if (!slider) return;
    Rect thumb;
    if (!slider->thumbRect(rect.width(), rect.height(), thumb)) return;
    thumb = thumb.offset(rect.left, rect.top);
    const int32_t centre = layout::add(thumb.left, thumb.width() / 2);

    auto band = [&](PropertyKey key, int32_t left, int32_t right) {
        const int32_t h = imageHeight(*this, key);
        const int32_t top = layout::add(rect.top, layout::sub(rect.height(), h) / 2);
        if (right > left && h > 0) drawSkin(dc, {left, top, right, layout::add(top, h)}, key);
    };
    band(attr::barSkin, centre, rect.right);
    band(attr::trackSkin, rect.left, centre);

    PropertyKey key = attr::thumbUpSkin;
    if (slider->hasFlag(ControlFlag::Pressed))
        key = attr::thumbDownSkin;
    else if (slider->checked())
        key = attr::thumbOverSkin;
    if (const std::u16string* name = findText(key)) drawImage(dc, *name, thumb, nullptr);
}
#else
void Style_Slider::draw(DeviceContext, const Rect&, Control*) {}
#endif

} // namespace nelvo
