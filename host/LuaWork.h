#pragma once
// The install worker: runs an install script on a thread of its own, in an
// interpreter state of its own, over a package of the resource store.

#include <string>

namespace nelvo {

class LuaWork {
public:
    // Main thread. Starts the install worker with these work parameters.
    // False (after a debugger message) when a worker still runs or the thread
    // cannot be made.
    static bool start(std::u16string scriptName, std::u16string packageName, std::string configuration);
};

} // namespace nelvo
