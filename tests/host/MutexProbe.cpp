// Linked into a test copy of the setup program: watches the instance mutex
// from inside the process, through the teardown. Its static object lives
// from before wWinMain until after it returned, so its destructor runs once
// the teardown is over and the process is still alive. It writes what it saw
// to the file named by NELVO_MUTEX_PROBE_OUT as one line:
//   fresh=<0|1> ownKept=<0|1> freeAtExit=<0|1>
// When the wizard script sets NELVO_MUTEX_PROBE_GO (after releaseMutex), the
// probe plays a new copy starting at that moment: it creates the mutex
// itself (fresh: nobody else had it) and checks at the end that its handle
// survived the teardown (ownKept). freeAtExit: nothing in the process holds
// the mutex any more after the teardown.

#include <windows.h>

#include <cstdio>

namespace {

const wchar_t* const kName = L"Global\\QUENTINSTALLER";

class MutexProbe {
public:
    MutexProbe() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = CreateThread(nullptr, 0, &MutexProbe::watch, this, 0, nullptr);
    }
    ~MutexProbe() {
        SetEvent(stop_);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(stop_);
        report();
    }

private:
    static DWORD WINAPI watch(void* object) {
        auto* self = static_cast<MutexProbe*>(object);
        wchar_t go[4];
        while (WaitForSingleObject(self->stop_, 1) == WAIT_TIMEOUT) {
            if (!GetEnvironmentVariableW(L"NELVO_MUTEX_PROBE_GO", go, 4)) continue;
            self->own_ = CreateMutexW(nullptr, TRUE, kName);
            self->fresh_ = self->own_ && GetLastError() != ERROR_ALREADY_EXISTS;
            return 0;
        }
        return 0;
    }

    void report() {
        DWORD flags = 0;
        const bool ownKept = own_ && GetHandleInformation(own_, &flags);
        if (ownKept) CloseHandle(own_);
        HANDLE other = OpenMutexW(SYNCHRONIZE, FALSE, kName);
        const bool freeAtExit = !other;
        if (other) CloseHandle(other);
        wchar_t path[MAX_PATH];
        if (!GetEnvironmentVariableW(L"NELVO_MUTEX_PROBE_OUT", path, MAX_PATH)) return;
        char line[64];
        const int n = std::snprintf(line, sizeof line, "fresh=%d ownKept=%d freeAtExit=%d\n", fresh_, ownKept,
                                    freeAtExit);
        HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(f, line, DWORD(n), &written, nullptr);
        CloseHandle(f);
    }

    HANDLE stop_;
    HANDLE thread_ = nullptr;
    HANDLE own_ = nullptr;
    bool fresh_ = false;
};

MutexProbe g_probe;

} // namespace
