#pragma once
// The switches setup.exe and the uninstaller understand, read from the
// program's command line with the habits of other installers:
//   /S                 silent: no window and no message box
//   /D=<folder>        the install folder; the rest of the line, spaces
//                      included (quotes around it are taken off). Last.
//   /LOG=<file>        a log of the run, created new; quotes may surround
//                      the value ("/LOG=C:\my logs\a.log" or /LOG="...")
//   /FORCERESTART      silent only: restart by itself when a restart is
//                      needed, instead of only reporting it
//   /NORESTART         never restart by itself (what /S does anyway)
// Switch names are case-insensitive. Anything else (an unknown switch, a
// switch a program does not take, a value missing or not closed) makes the
// whole line refused: a deployment must not run with a switch it misspelt.
// No operating system needed; texts are UTF-16.

#include <string>
#include <string_view>

namespace nelvo {

// The switches a program takes, for parseRunOptions.
enum RunSwitch : unsigned {
    kSwitchSilent = 1u << 0,
    kSwitchFolder = 1u << 1,
    kSwitchLog = 1u << 2,
    kSwitchForceRestart = 1u << 3,
    kSwitchNoRestart = 1u << 4,
};

struct RunOptions {
    bool silent = false;
    bool forceRestart = false;
    bool folderGiven = false;
    std::u16string folder;   // as given; the program checks it like a typed one
    std::u16string logPath;  // empty: no log
};

struct ParsedRunOptions {
    bool ok = false;
    RunOptions options;
    std::u16string refused;  // when !ok: the part of the line not understood
};

// `commandLine` without the program's own name (argumentsOf).
// `accepted` is a mask of RunSwitch.
ParsedRunOptions parseRunOptions(std::u16string_view commandLine, unsigned accepted);

// What follows the program's name in a full command line, skipped as the
// system's own start-up code does: a quoted name up to its closing quote,
// else up to the first space or tab.
std::u16string_view argumentsOf(std::u16string_view commandLine);

// The options of this run, set once by the program's entry before anything
// reads them (the scripts through getRunOptions). Default: a run with a
// person, no log.
const RunOptions& runOptions();
void setRunOptions(const RunOptions& options);

} // namespace nelvo
