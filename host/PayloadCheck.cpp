#include "host/PayloadCheck.h"

#include "store/IntegrityCheck.h"

namespace nelvo {

void PayloadCheck::start() {
    if (started_) return;
    started_ = true;
    thread_.reset(CreateThread(nullptr, 0, &PayloadCheck::threadMain, this, 0, nullptr));
    // Behind the wizard's own work where cores are few.
    if (thread_) SetThreadPriority(thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
    else threadMain(this);
}

PayloadCheck::~PayloadCheck() {
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI PayloadCheck::threadMain(void* self) {
    // A thread entry: nothing thrown may leave it; a check that fails to run
    // reports a damaged payload.
    auto* check = static_cast<PayloadCheck*>(self);
    try {
        check->intact_ = resourceIntact(check->module_, check->id_, check->store_.source(check->id_));
    } catch (...) {
        check->intact_ = false;
    }
    return 0;
}

bool PayloadCheck::intact() {
    start();
    if (!thread_) return intact_;
    const HANDLE thread = thread_.get();
    if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        // Paint messages, and messages other threads send, only: a click or
        // a key waits in the queue until the answer is known.
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
        }
        SetCursor(previous);
    }
    // The thread wrote the answer before it ended (also should the wait
    // above have failed).
    WaitForSingleObject(thread, INFINITE);
    return intact_;
}

} // namespace nelvo
