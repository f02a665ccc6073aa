#include "dui/Style_Background.h"

namespace nelvo {

void Style_Background::draw(DeviceContext dc, const Rect& rect, Control*) { drawSkin(dc, rect, attr::img); }

} // namespace nelvo
