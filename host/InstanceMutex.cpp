#include "host/InstanceMutex.h"

#include "base/ProtectedAccess.h"

namespace nelvo {

namespace {
HANDLE g_mutex = nullptr;
constexpr wchar_t kName[] = L"Global\\QUENTINSTALLER";
} // namespace

InstanceGuard acquireInstanceMutex() {
    // Made with an owner and a list that only an elevated program can give
    // it, so that a mutex of this name that anyone else made first can be
    // told from ours.
    SecurityDescriptor access(kInstanceMutexAccess);
    HANDLE h = CreateMutexW(access ? access.attributes() : nullptr, TRUE, kName);
    if (!h && GetLastError() == ERROR_INVALID_OWNER) h = CreateMutexW(nullptr, TRUE, kName);
    if (h && GetLastError() == ERROR_ALREADY_EXISTS) {
        const bool ours = ownedByAdministrators(h);
        CloseHandle(h);
        if (ours) return InstanceGuard::AlreadyRunning;
        // Made by someone without administrator rights to keep every setup
        // and uninstall from starting: not another copy of ours. This one
        // runs, without the guard, as when no mutex can be made at all.
        OutputDebugStringW(L"instance mutex: the name is held by a program without administrator rights\n");
        return InstanceGuard::First;
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
