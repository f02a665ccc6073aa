#include "dui/controls/ScrollTimer.h"

#include "dui/controls/ScrollBar.h"

namespace nelvo {

void ScrollTimer::tick() { owner_.repeatStep(); }

} // namespace nelvo
