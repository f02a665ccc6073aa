#pragma once
// The payload's digest, checked on a thread of its own while the wizard's
// first pages show: hashing the payload (megabytes) before the first window
// would keep the user waiting for a check whose answer is needed only when
// the installation starts. The small resources are checked before the
// first window as before (IntegrityCheck.h).
//
// Main thread: construct, start() once the first window is painted (so that
// the check does not compete with it), and ask intact() before anything is
// written; destruction waits for the thread. Windows build only.

#include "base/UniqueHandle.h"
#include "store/ResourceFileSystem.h"

#include <windows.h>

namespace nelvo {

class PayloadCheck {
public:
    // Checks resource `id` of `module` through `store`'s source of it (the
    // one the extraction reads later); nothing runs before start(). `store`
    // must outlive the check.
    PayloadCheck(HMODULE module, int id, ResourceFileSystem& store) : module_(module), id_(id), store_(store) {}
    ~PayloadCheck();
    PayloadCheck(const PayloadCheck&) = delete;
    PayloadCheck& operator=(const PayloadCheck&) = delete;

    // Starts the check on its thread; when no thread can be made, checks
    // here and now. Nothing once started.
    void start();

    // The answer, the check started if it was not, and waited for if it
    // still runs: meanwhile the wait cursor shows and windows are painted,
    // but no input is acted on.
    bool intact();

private:
    static DWORD WINAPI threadMain(void* self);

    HMODULE module_;
    int id_;
    ResourceFileSystem& store_;
    bool started_ = false;
    bool intact_ = false;
    UniqueKernelHandle thread_;
};

} // namespace nelvo
