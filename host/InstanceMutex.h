#pragma once
// The machine-wide instance mutex "Global\QUENTINSTALLER" that keeps setup
// and uninstall programs of the product from running at the same time.
// Main thread only.

#include <windows.h>

namespace nelvo {

enum class InstanceGuard { First, AlreadyRunning };

// Creates the mutex with initial ownership, owned by Administrators and
// opened only by SYSTEM and Administrators (ProtectedAccess.h).
// AlreadyRunning when another elevated program holds it (the handle is
// closed again). A mutex of that name whose owner is anyone else was not
// made by a setup or uninstall program: it is ignored, and the program
// carries on as the first instance without a mutex, as it does when no
// handle comes back at all.
InstanceGuard acquireInstanceMutex();

// The process-wide mutex handle, or null.
HANDLE instanceMutexHandle();

// Closes the handle early (the script's releaseMutex) or at teardown; does
// nothing once it is closed.
void releaseInstanceMutex();

} // namespace nelvo
