#pragma once
// Runs a program as a person would and deals with the windows it shows:
// every top-level window is recorded and photographed; message boxes are
// answered by pressing one of their buttons; other windows are closed. Every
// wait is bounded, and a program that does not end in time is killed.

#include <windows.h>

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
    int messageBoxButton = IDOK;  // the button pressed in message boxes
    std::wstring arguments;       // the command line after the quoted program path
    std::wstring folder;          // the program's current folder; empty: this process's
    DWORD timeoutMs = 30000;
    std::wstring screenshotPrefix;  // empty: no screenshots
};

RunResult runAndAnswer(const std::wstring& exe, const RunOptions& options);

} // namespace nelvo::test
