#pragma once
// The order in which the keyboard visits a window's controls, and the
// controls drawn now. Reading order is the order of the markup (the order
// of drawing); a `tabIndex` attribute moves a control: controls are visited
// by ascending tab index (0 when absent), in markup order among equal ones,
// and a negative tab index keeps a control out of the Tab order. Free of any
// operating system.

#include "dui/Control.h"
#include "dui/AttributeNames.h"

#include <vector>

namespace nelvo {

// The controls drawn now: `root` (when visible) and, depth first in
// drawing order, every shown child of a drawn control.
std::vector<Control*> shownControls(Control& root);
// Whether `control` is among the shownControls of `root`.
bool isShown(Control& root, const Control& control);
// The drawn, enabled, focusable controls in Tab order.
std::vector<Control*> tabOrder(Control& root);
// The control Tab (forward) or Shift+Tab moves to from `from`, wrapping at
// either end; from none (or a control not in the order) the first or the
// last. Null when nothing can take the focus.
Control* nextInTabOrder(Control& root, const Control* from, bool forward);
// The first drawn, enabled control whose integer attribute `key` is
// non-zero (`isDefault`, `isCancel`); null when there is none.
Control* markedControl(Control& root, PropertyKey key);

} // namespace nelvo
