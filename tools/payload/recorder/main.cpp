// NelvoCount.exe and NelvoBugReport.exe: stand-ins for the product's usage
// counter and its bug reporter. Each appends its arguments, joined by
// spaces, as one line to "<its name>.log" beside it and ends.

#include "tools/payload/common/StandIn.h"

#include <windows.h>
#include <shellapi.h>

#ifndef NELVO_RECORDER_LOG
#error "NELVO_RECORDER_LOG names the log file"
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    const bool logged = nelvo::standin::appendLog(NELVO_RECORDER_LOG, nelvo::standin::joinArguments(argc, argv, L" "));
    LocalFree(argv);
    return logged ? 0 : 1;
}
