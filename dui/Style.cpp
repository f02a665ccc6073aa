#include "dui/Style.h"

namespace nelvo {

void Style::draw(DeviceContext, const Rect&, Control*) {}

} // namespace nelvo
