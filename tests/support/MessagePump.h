#pragma once
// The tests' message pump for this thread (Windows build).

#include <windows.h>

namespace nelvo::test {

// Runs the message loop of this thread until `done` says so or `ms`
// milliseconds have passed. False on the deadline.
template <typename Done>
bool pumpUntil(DWORD ms, Done done) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

// Without an argument: runs what is queued now (posted events, repaints)
// and returns. With one: runs the message loop for `ms` milliseconds.
inline void pump(DWORD ms = 0) {
    if (ms > 0) {
        pumpUntil(ms, [] { return false; });
        return;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace nelvo::test
