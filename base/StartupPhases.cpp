#include "base/StartupPhases.h"


#include <windows.h>

#include <cstdio>
#include <cstring>
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

// The text being sent: static storage, never freed, so that the sending
// thread may still read it while the process ends.
char g_announcement[4096];

DWORD WINAPI announce(void*) {
    OutputDebugStringA(g_announcement);
    return 0;
}

void send(const std::string& table) {
    static constexpr char kHead[] = "nelvo-startup-phases\n";
    std::string text = kHead + table;
    if (text.size() >= sizeof g_announcement) text.resize(sizeof g_announcement - 1);
    std::memcpy(g_announcement, text.c_str(), text.size() + 1);
    if (HANDLE thread = CreateThread(nullptr, 0, announce, nullptr, 0, nullptr)) CloseHandle(thread);
}

} // namespace

void StartupPhases::begin() {
    QueryPerformanceFrequency(&g_recording.frequency);
    QueryPerformanceCounter(&g_recording.entry);
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        const ULONGLONG start = (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        const ULONGLONG now = systemTimeNow();
        if (now > start) g_recording.beforeEntryMs = double(now - start) / 10000.0;
    }
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
        send(table());
    } catch (...) {
        // A benchmark's record is not worth a failed start.
    }
}

} // namespace nelvo
