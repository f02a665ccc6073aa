#pragma once
// The machine-wide instance mutex "Global\QUENTINSTALLER" that keeps setup
// and uninstall programs of the product from running at the same time.
// Main thread only.

#include <windows.h>

namespace nelvo {

enum class InstanceGuard { First, AlreadyRunning };

// Creates the mutex with initial ownership. AlreadyRunning when another
// process holds it (the handle is closed again). When no handle comes back
// at all, the program carries on as the first instance without a mutex.
InstanceGuard acquireInstanceMutex();

// The process-wide mutex handle, or null.
HANDLE instanceMutexHandle();

// Closes the handle early (the script's releaseMutex) or at teardown; does
// nothing once it is closed.
void releaseInstanceMutex();

} // namespace nelvo
