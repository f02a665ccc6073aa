#pragma once
// Runs a program as a person would and deals with the windows it shows:
// every top-level window is recorded and photographed; message boxes are
// answered by pressing one of their buttons; other windows are closed. Every
// wait is bounded, and a program that does not end in time is killed.

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
    DWORD timeoutMs = 30000;
    std::wstring screenshotPrefix;  // empty: no screenshots
    // Called once for each window that is not a message box, after its
    // screenshot; without it such windows are closed.
    std::function<void(HWND)> onWindow;
    // Chooses the button pressed in a message box (after its screenshot);
    // without it every box gets messageBoxButton.
    std::function<int(const SeenWindow&)> chooseButton;
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
