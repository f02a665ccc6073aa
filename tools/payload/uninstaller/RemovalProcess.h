#pragma once
// A running program cannot delete its own file. So the uninstaller started
// from the install folder (the first stage) copies itself to the temporary
// folder and lets that copy (the second stage) do the removal:
//
//   unins000.exe                         first stage: guards, confirmation
//     └─ <Windows>\Temp\nelvo-<random>\nelvo-uninstall.exe /remove <mutex> <first stage> <copy> <report> <log> <options> "<install folder>"
//        (the folder without its last "\", which would escape the quote)
//
// The copy runs elevated, so nobody else may shape it: its folder is made
// new under a random name, with an access list that admits only SYSTEM and
// Administrators, in a folder where others cannot rename or remove it; the
// copy is created new there, read back and compared with the running
// program's bytes, and held open against writing and deleting until it has
// started. A copy that fails any of this is not started; the first stage
// then removes in place.
//
// The three numbers are handles the second stage inherits:
//   mutex        the instance mutex "Global\QUENTINSTALLER": it keeps the
//                name alive after the first stage ends, so no setup can start
//                in between;
//   first stage  the first stage's process (synchronize access): the second
//                stage waits for it to end before it deletes its file;
//   copy         the copy itself opened for deletion on close: the system
//                deletes the file when the second stage ends. 0 when that
//                could not be arranged; the copy then schedules its own
//                deletion for the next restart;
//   report       the writing end of a pipe on which the second stage sends
//                the first how the removal ended (a 32-bit exit code), so
//                that the program a person or a deployment tool started ends
//                with the removal's own code. The first stage waits for it;
//                the second then waits for the first to end, and deletes the
//                program's file and the install folder last. 0 when no pipe
//                could be made: the first stage then ends at once;
//   log          the run's log file (/LOG=), written on by the second stage;
//                0 without one.
// <options> is a number: 1 the run is unattended (/S), 2 a restart is
// allowed (/FORCERESTART).
// The second stage marks them not inheritable again, so the programs it
// starts get none of them.

#include <windows.h>

#include <string>

namespace nelvo::uninstall {

// What the second stage reads from its command line.
struct SecondStage {
    HANDLE mutex = nullptr;
    HANDLE firstStage = nullptr;
    HANDLE deleteOnClose = nullptr;
    HANDLE report = nullptr;
    HANDLE log = nullptr;
    unsigned options = 0;
    std::wstring installFolder;  // ends with "\"
};

constexpr unsigned kRemovalSilent = 1;
constexpr unsigned kRemovalForceRestart = 2;

// Parses the command line; false when it is not a second stage's.
bool parseSecondStage(const wchar_t* commandLine, SecondStage& out);

// First stage: copies the program to a private folder and starts it as
// the second stage for `installFolder`, passing `mutex` on. True when it
// runs; the caller then ends at once. On false nothing is left behind and
// `mutex` is as before.
// `report` and `log` (either may be null) are passed on as described above.
bool startSecondStage(const std::wstring& installFolder, HANDLE mutex, HANDLE report = nullptr,
                      HANDLE log = nullptr, unsigned options = 0);

// The full path of this program; empty when the system cannot tell.
std::wstring programPath();

// The folder of `path` with its trailing "\" ("C:\a\b.exe" gives "C:\a\").
std::wstring folderOf(const std::wstring& path);

} // namespace nelvo::uninstall
