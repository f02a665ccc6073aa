#pragma once
// The hidden window "Dispatcher_Talon124" through which posted tasks reach
// the UI thread: post() sends message 1025 carrying the task, and the window
// procedure runs it. Any thread may post; the window lives on the UI thread.
// Windows build only.

#include "dui/PostedTask.h"

#include <windows.h>

namespace nelvo {

class DispatcherWindow final : public PostedTaskSink {
public:
    static constexpr wchar_t kClassName[] = L"Dispatcher_Talon124";
    static constexpr UINT kTaskMessage = WM_USER + 1;  // 1025

    DispatcherWindow() = default;
    // Destroys the window (see shutdown()).
    ~DispatcherWindow();
    DispatcherWindow(const DispatcherWindow&) = delete;
    DispatcherWindow& operator=(const DispatcherWindow&) = delete;

    // Registers the class if needed and creates the 1 × 1 tool window,
    // never shown. False if it cannot.
    bool create();
    // Runs every task still queued for the window, then destroys it.
    void shutdown();
    HWND handle() const { return hwnd_; }

    // PostedTaskSink: posts message 1025 with the task.
    bool post(PostedTask* task) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

} // namespace nelvo
