#pragma once
// The process's guards as the system functions reach them: releaseMutex
// closes the instance mutex, markRestart writes the restart marker.

#include "host/InstanceMutex.h"
#include "host/RestartMarker.h"
#include "script/SystemFunctions.h"

namespace nelvo {

inline ProcessGuards scriptGuards() { return {&releaseInstanceMutex, &writeRestartMarker}; }

} // namespace nelvo
