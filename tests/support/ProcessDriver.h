#pragma once
// Runs a program as a person would and deals with the windows it shows:
// every top-level window is recorded and photographed; message boxes are
// answered by pressing one of their buttons; other windows are closed. Every
// wait is bounded, and a program that does not end in time is killed.

#include "base/UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace nelvo::test {

struct SeenWindow {
    std::wstring className;
    std::wstring caption;
    std::wstring text;  // a message box's message
};

// A program started from its own folder, as a double-click starts it. The
// owner ends it (and only it) if it still runs when the owner goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { kill(); }

    // `folder` is the current folder it starts in; empty: its own folder.
    bool start(const std::wstring& exe, const std::wstring& arguments = {}, const std::wstring& folder = {});
    bool started() const { return bool(process_); }
    DWORD id() const { return id_; }
    bool running() const;
    // True when the program has ended within the time.
    bool waitForExit(DWORD timeoutMs);
    // The exit code once ended; STILL_ACTIVE before.
    DWORD exitCode() const;
    // Ends the program if it runs and waits (bounded) until it has.
    void kill();

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// The visible top-level windows of a process.
std::vector<HWND> visibleWindowsOf(DWORD processId);
std::vector<HWND> visibleWindowsOf(const std::vector<DWORD>& processIds);

bool isMessageBox(HWND window);
// Class, caption and, for a message box, its message.
SeenWindow describeWindow(HWND window);
// The screen rectangle of a message box's button (IDOK, IDCANCEL, ...).
bool messageBoxButtonRect(HWND box, int buttonId, RECT& out);
// Presses a message box's button with a real click on it, and by its
// command only if the click did not close the box. True once it is gone.
bool pressMessageBoxButton(HWND box, int buttonId);

struct RunResult {
    bool started = false;
    bool finished = false;  // ended by itself within the time limit
    DWORD exitCode = 0;
    std::vector<SeenWindow> windows;

    bool sawCaption(const std::wstring& caption) const;
};

struct RunOptions {
    std::wstring arguments;  // the command line after the program's name
    int messageBoxButton = IDOK;  // the button pressed in message boxes
    std::wstring folder;          // the program's current folder; empty: its own
    // When given, chooses the button for each message box instead.
    std::function<int(const SeenWindow&)> chooseButton;
    DWORD timeoutMs = 30000;
    std::wstring screenshotPrefix;  // empty: no screenshots
    // Called once for each window that is not a message box, after its
    // screenshot; without it such windows are closed.
    std::function<void(HWND)> onWindow;
    // Also deals with the windows of the programs the program starts (and
    // theirs): the run ends when the whole family has ended. The exit code
    // stays the program's own.
    bool followChildren = false;
};

// The program `root` (which may have ended) and the running programs it
// started, directly or through others.
std::vector<DWORD> processFamily(DWORD root);

// Clicks with the real mouse at a point of a window (client coordinates):
// the cursor moves there, then the left button goes down and up.
void clickAt(HWND window, int x, int y);

RunResult runAndAnswer(const std::wstring& exe, const RunOptions& options);

} // namespace nelvo::test
