#pragma once
// The forced restart behind the script function reboot(), with the system
// calls it makes gathered in one record, so that tests can make each of them
// fail and read the messages without restarting the machine.

#include <windows.h>

#include <string>

namespace nelvo {

struct RestartCalls {
    // Opens the process token for adjusting privileges and for query and
    // enables SeShutdownPrivilege in it. False only when the token could not
    // be opened; whether the privilege was granted is not known here.
    bool (*enableShutdownPrivilege)();
    // Asks the system for a forced restart. On failure stores the system's
    // error code in `error` and returns false.
    bool (*restart)(DWORD* error);
    // An owner-less message box with the system's default caption and an OK
    // button.
    void (*showMessage)(const wchar_t* text);
};

// The real system calls.
const RestartCalls& systemRestartCalls();

// The calls reboot() uses: the system's unless a test has replaced them.
const RestartCalls& currentRestartCalls();
// Replaces the calls reboot() uses; null restores the system's.
void setRestartCalls(const RestartCalls* calls);

// Enables the privilege and requests the restart; on failure tells the user
// to restart by hand and returns.
void requestRestart(const RestartCalls& calls);

// The message for a failed restart request, formatted into a buffer of 32
// units. Every 32-bit error code fits.
std::wstring restartFailedText(DWORD error);

} // namespace nelvo
