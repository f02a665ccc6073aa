// DevconExe / DevconExe64: the device tool's stand-in, built for 32-bit and
// for 64-bit Windows from this one file.
//
//   devconexe remove <hardware id>
//   devconexe install <inf file> <hardware id>
//
// Exit codes as the real tool's: 0 done, 1 done but the computer must be
// restarted, -1 failed. An install whose INF file does not exist fails.
//
// A test chooses the outcome with "devcon-outcome.txt" beside the tool (or
// in the folder NELVO_STANDIN_DIR names, see StandIn.h), one
// line per verb:  <verb> <exit code> [<seconds to wait first>]
// e.g. "install -1" or "remove 1 3". A verb without a line succeeds at once.
// Every call is appended to "DevconExe.log" in the same folder as
//   <32|64>|<argument>|<argument>...
// before the tool waits or decides.

#include "tools/payload/common/StandIn.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Outcome {
    int exitCode = 0;
    int delaySeconds = 0;
};

// The line of the outcome file for `verb`, if any.
Outcome outcomeFor(const wchar_t* verb) {
    Outcome outcome;
    const std::wstring path = nelvo::standin::standInFolder() + L"devcon-outcome.txt";
    FILE* file = _wfopen(path.c_str(), L"r");
    if (!file) return outcome;
    char line[256];
    const std::string wanted = nelvo::standin::toUtf8(verb);
    while (std::fgets(line, sizeof line, file)) {
        char name[64] = {};
        int code = 0, delay = 0;
        const int fields = std::sscanf(line, "%63s %d %d", name, &code, &delay);
        if (fields >= 2 && wanted == name) {
            outcome.exitCode = code;
            outcome.delaySeconds = fields == 3 ? delay : 0;
        }
    }
    std::fclose(file);
    return outcome;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    nelvo::standin::appendLog(L"DevconExe.log", (sizeof(void*) == 8 ? L"64|" : L"32|") +
                                                    nelvo::standin::joinArguments(argc, argv, L"|"));
    const bool remove = argc == 3 && _wcsicmp(argv[1], L"remove") == 0;
    const bool install = argc == 4 && _wcsicmp(argv[1], L"install") == 0;
    if (!remove && !install) {
        std::fputs("usage: devconexe remove <hardware id> | install <inf file> <hardware id>\n", stderr);
        return -1;
    }
    if (install && GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        std::fputs("devconexe: the INF file does not exist\n", stderr);
        return -1;
    }
    const Outcome outcome = outcomeFor(remove ? L"remove" : L"install");
    if (outcome.delaySeconds > 0) Sleep(DWORD(outcome.delaySeconds) * 1000);
    return outcome.exitCode;
}
