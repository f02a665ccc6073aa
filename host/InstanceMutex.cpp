#include "host/InstanceMutex.h"

namespace nelvo {

namespace {
HANDLE g_mutex = nullptr;
}

InstanceGuard acquireInstanceMutex() {
    HANDLE h = CreateMutexW(nullptr, TRUE, L"Global\\QUENTINSTALLER");
    if (h && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return InstanceGuard::AlreadyRunning;
    }
    g_mutex = h;
    return InstanceGuard::First;
}

HANDLE instanceMutexHandle() { return g_mutex; }

void releaseInstanceMutex() {
    if (g_mutex) {
        CloseHandle(g_mutex);
        g_mutex = nullptr;
    }
}

} // namespace nelvo
