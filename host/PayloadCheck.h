#pragma once
// The payload's digest, checked on a thread of its own while the wizard's
// first pages show: hashing the payload (megabytes) before the first window
// would keep the user waiting for a check whose answer is needed only when
// the installation starts. The small resources are checked before the
// first window as before (IntegrityCheck.h).
//
// Main thread: construct, then ask intact() before anything is written;
// destruction waits for the thread. Windows build only.

#include "base/UniqueHandle.h"

#include <windows.h>

namespace nelvo {

class PayloadCheck {
public:
    // Starts checking resource `id` of `module`; when no thread can be
    // made, checks it here and now.
    PayloadCheck(HMODULE module, int id);
    ~PayloadCheck();
    PayloadCheck(const PayloadCheck&) = delete;
    PayloadCheck& operator=(const PayloadCheck&) = delete;

    // The answer, waited for if the check still runs: meanwhile the wait
    // cursor shows and windows are painted, but no input is acted on.
    bool intact();

private:
    static DWORD WINAPI threadMain(void* self);

    HMODULE module_;
    int id_;
    bool intact_ = false;
    UniqueKernelHandle thread_;
};

} // namespace nelvo
