#pragma once
// Control objects: the script tables that stand for native controls. Each
// holds the common methods and the extra methods of its control's type name
// (an extra replaces a common method of the same name). Every method finds
// its control again through the bridge and does nothing for a dead or
// foreign receiver (getName then answers "nil"). Main thread only.

#include <lua.h>

namespace nelvo {

class Control;

// Pushes a new control object for `control` (not yet registered). [-0, +1]
void pushNewControlObject(lua_State* L, Control& control);

} // namespace nelvo
