#pragma once
// Timer: a thread timer of the UI thread that calls tick() every interval.
// Running timers are found through a process-wide map from the system timer
// identifier, so a timer needs no window. Derive and implement tick(); the
// caret blink, the script timers and animating controls do.
// Windows build only; UI thread.

#include <windows.h>

#include <cstdint>

namespace nelvo {

class Timer {
public:
    explicit Timer(uint32_t intervalMs = 100) : interval_(intervalMs) {}
    // Stops the timer.
    virtual ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Called on every expiry while running, and once at once by start().
    // Runs inside a timer callback: nothing may be thrown out of it.
    virtual void tick() = 0;

    // If not running: creates the system timer, enters it in the map, marks
    // it running and calls tick() once at once. False if the system refused
    // the timer (it then stays stopped).
    bool start();
    // If running: marks it stopped, kills the system timer, leaves the map.
    // Safe from inside tick().
    void stop();
    bool running() const { return running_; }

    // Takes effect at the next start().
    void setInterval(uint32_t ms) { interval_ = ms; }
    uint32_t interval() const { return interval_; }
    UINT_PTR systemId() const { return id_; }

    // How many timers are running (tests).
    static size_t runningCount();

private:
    static void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD);

    uint32_t interval_;
    UINT_PTR id_ = 0;
    bool running_ = false;
};

} // namespace nelvo
