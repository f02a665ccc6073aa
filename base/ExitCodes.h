#pragma once
// The exit codes of setup.exe and the uninstaller, silent or not. They are
// the codes deployment tools already read from other installers, so that
// success, a needed restart, a cancel and a failure tell apart by the code
// alone.

#include <atomic>

namespace nelvo::exitcode {

constexpr int kSuccess = 0;
// ERROR_FAIL_NOACTION_REBOOT: nothing was done because an earlier
// installation or removal waits for a restart.
constexpr int kRestartPending = 350;
// ERROR_INSTALL_USEREXIT: the user cancelled; what the run changed was
// taken back.
constexpr int kCancelled = 1602;
// ERROR_INSTALL_FAILURE: the run failed; what it changed was taken back.
constexpr int kFailed = 1603;
// ERROR_INSTALL_ALREADY_RUNNING: another installation or removal runs.
constexpr int kAnotherRunning = 1618;
// ERROR_INVALID_COMMAND_LINE.
constexpr int kBadCommandLine = 1639;
// ERROR_SUCCESS_REBOOT_REQUIRED: done; a restart finishes it.
constexpr int kRestartNeeded = 3010;

// The code the run ends with, as its script or entry decides it; `fallback`
// while nothing has decided (a run that ends without saying how failed).
// Any thread.
inline std::atomic<int>& decided() {
    static std::atomic<int> code{-1};
    return code;
}
inline void set(int code) { decided().store(code); }
inline int get(int fallback) {
    const int code = decided().load();
    return code < 0 ? fallback : code;
}

} // namespace nelvo::exitcode
