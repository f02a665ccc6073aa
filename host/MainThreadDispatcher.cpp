#include "host/MainThreadDispatcher.h"

#include "base/UniqueHandle.h"

#include <deque>
#include <new>
#include <utility>
#include <vector>

namespace nelvo {
namespace {

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSectionAndSpinCount(&section_, 100); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class Guard {
public:
    explicit Guard(CriticalSection& section) : section_(section) { section_.lock(); }
    ~Guard() { section_.unlock(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    CriticalSection& section_;
};

// Made during static initialisation, before the process entry runs, and
// deleted when the process ends. The dispatcher lock comes first.
CriticalSection g_dispatcherLock;
CriticalSection g_queueLock;

// Under the dispatcher lock.
bool g_running = false;
UniqueKernelHandle g_stopEvent;
UniqueHook g_hook;
std::vector<HANDLE> g_reaperList;
UniqueKernelHandle g_reaper;
// Written by start() before anything is posted.
DWORD g_mainThread = 0;

// Under the queue lock.
std::deque<std::shared_ptr<QXService::IRunable>> g_queue;

// Main thread, from the hook: takes the oldest task out and runs it. Nothing
// thrown leaves here, since a hook procedure is a Win32 frame.
void runOneTask() noexcept {
    std::shared_ptr<QXService::IRunable> task;
    {
        Guard queue(g_queueLock);
        if (g_queue.empty()) return;
        task = std::move(g_queue.front());
        g_queue.pop_front();
    }
    try {
        task->run();
    } catch (...) {
    }
}

LRESULT CALLBACK getMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->hwnd == nullptr && msg->message == WM_NULL) {
            runOneTask();
            return 0;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Takes the whole reaper list, waits until each of its threads has ended and
// closes its handle.
void reap() {
    std::vector<HANDLE> handles;
    {
        Guard dispatcher(g_dispatcherLock);
        handles.swap(g_reaperList);
    }
    for (HANDLE h : handles) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
}

DWORD WINAPI reaperMain(void* stopEvent) {
    do {
        reap();
    } while (WaitForSingleObject(static_cast<HANDLE>(stopEvent), 10000) == WAIT_TIMEOUT);
    reap();
    return 0;
}

} // namespace

bool MainThreadDispatcher::start() {
    Guard dispatcher(g_dispatcherLock);
    if (g_stopEvent) return false;
    UniqueKernelHandle stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent) return false;
    // Thread messages need a queue.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    // Without the hook nothing posted would ever run, and a worker waiting
    // for its answer would wait for good.
    UniqueHook hook(SetWindowsHookExW(WH_GETMESSAGE, getMessageHook, nullptr, GetCurrentThreadId()));
    if (!hook) return false;
    g_mainThread = GetCurrentThreadId();
    g_stopEvent = std::move(stopEvent);
    g_hook = std::move(hook);
    g_running = true;
    PostThreadMessageW(g_mainThread, WM_NULL, 0, 0);
    return true;
}

void MainThreadDispatcher::stop() {
    std::deque<std::shared_ptr<QXService::IRunable>> dropped;
    UniqueKernelHandle reaper;
    {
        Guard dispatcher(g_dispatcherLock);
        if (!g_stopEvent) return;
        SetEvent(g_stopEvent.get());
        g_running = false;
        g_hook.reset();
        Guard queue(g_queueLock);
        dropped.swap(g_queue);
        reaper = std::move(g_reaper);
    }
    // Outside the locks: a task's destructor may want to post (and is
    // refused now). A notification dropped here is answered by its
    // destructor, which wakes the worker waiting for it.
    dropped.clear();
    if (reaper) WaitForSingleObject(reaper.get(), INFINITE);
    // What no reaper took, when none could be made.
    reap();
    Guard dispatcher(g_dispatcherLock);
    g_stopEvent.reset();
}

bool MainThreadDispatcher::post(std::shared_ptr<QXService::IRunable> task) {
    if (!task) return false;
    std::shared_ptr<QXService::IRunable> refused;  // released after the locks
    Guard dispatcher(g_dispatcherLock);
    if (!g_running) return false;
    Guard queue(g_queueLock);
    try {
        g_queue.push_back(std::move(task));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // One WM_NULL per task; a task queued without its message could wait
    // until stop.
    if (!PostThreadMessageW(g_mainThread, WM_NULL, 0, 0)) {
        refused = std::move(g_queue.back());
        g_queue.pop_back();
        return false;
    }
    return true;
}

bool MainThreadDispatcher::trackHandle(HANDLE thread) {
    if (!thread || thread == INVALID_HANDLE_VALUE) return false;
    {
        Guard dispatcher(g_dispatcherLock);
        if (g_running) {
            try {
                g_reaperList.push_back(thread);
                // If no reaper can be made, stop() reaps on its own.
                if (!g_reaper) g_reaper.reset(CreateThread(nullptr, 0, reaperMain, g_stopEvent.get(), 0, nullptr));
                return true;
            } catch (const std::bad_alloc&) {
            }
        }
    }
    CloseHandle(thread);
    return false;
}

bool MainThreadDispatcher::running() {
    Guard dispatcher(g_dispatcherLock);
    return g_running;
}

} // namespace nelvo
