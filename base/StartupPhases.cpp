#include "base/StartupPhases.h"

#include "base/PathChecks.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace nelvo {
namespace {

struct Mark {
    const char* name;
    LONGLONG at;  // performance counter
};

constexpr size_t kMaxMarks = 24;

struct Recording {
    bool on = false;
    std::wstring path;
    LARGE_INTEGER frequency{};
    LARGE_INTEGER entry{};  // the counter at begin()
    double beforeEntryMs = 0;  // process creation to begin()
    Mark marks[kMaxMarks]{};
    size_t count = 0;
};

Recording g_recording;

// The system time now, as precisely as the system tells it: the precise
// clock where there is one (Windows 8 and later), else the tick-based one.
ULONGLONG systemTimeNow() {
    using PreciseTime = void(WINAPI*)(FILETIME*);
    static const auto precise = reinterpret_cast<PreciseTime>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now;
    if (precise) precise(&now);
    else GetSystemTimeAsFileTime(&now);
    return (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

double sinceEntryMs(LONGLONG at) {
    return double(at - g_recording.entry.QuadPart) * 1000.0 / double(g_recording.frequency.QuadPart);
}

std::string table() {
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "process start to main\t%.2f\t%.2f\n", g_recording.beforeEntryMs,
                  g_recording.beforeEntryMs);
    out += line;
    double previous = 0;
    for (size_t i = 0; i < g_recording.count; ++i) {
        const double at = sinceEntryMs(g_recording.marks[i].at);
        std::snprintf(line, sizeof line, "%s\t%.2f\t%.2f\n", g_recording.marks[i].name, at - previous,
                      g_recording.beforeEntryMs + at);
        out += line;
        previous = at;
    }
    return out;
}

// The path comes from the environment of whoever started the program, which
// runs elevated: a benchmark's switch, and nothing it names is trusted. The
// file is made new, never opened: a name that exists (a file, a link) is
// refused, and so is a path through a folder link, so the write cannot be
// sent to a file that someone else chose to have overwritten. What is
// written is only phase names and times.
void write(const std::string& text) {
    if (passesThroughLink(g_recording.path)) return;
    UniqueFileHandle file(CreateFileW(g_recording.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

void StartupPhases::begin() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"NELVO_STARTUP_PHASES", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    QueryPerformanceFrequency(&g_recording.frequency);
    QueryPerformanceCounter(&g_recording.entry);
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        const ULONGLONG start = (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        const ULONGLONG now = systemTimeNow();
        if (now > start) g_recording.beforeEntryMs = double(now - start) / 10000.0;
    }
    g_recording.path.assign(path, n);
    g_recording.on = true;
}

void StartupPhases::mark(const char* name) {
    if (!g_recording.on || g_recording.count == kMaxMarks) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_recording.marks[g_recording.count++] = {name, now.QuadPart};
}

void StartupPhases::finish(const char* name) {
    if (!g_recording.on) return;
    mark(name);
    g_recording.on = false;
    try {
        write(table());
    } catch (...) {
        // A benchmark's record is not worth a failed start.
    }
}

} // namespace nelvo
