// Starts a program and reports, from inside the same Windows (Wine) session,
// what an installer benchmark needs: how long the program took, its peak
// working set, and optionally when its first window was painted.
//
//   procwatch [--window] [--phases FILE] [--limit SECONDS] PROGRAM [ARG...]
//
// Prints one line:
//   ms=<elapsed> peak_kb=<peak working set> exit=<code>
// (with --window, exit is "-" and shown_ms=<time the window became visible>
// follows).
// Without --window, elapsed runs from CreateProcess until the program ends.
// With --window, elapsed runs until the program shows a visible top-level
// window whose own update region and those of all its visible children are
// empty, i.e. every part of it has been painted once; the program is then
// ended, with --phases only once it has sent its start-up phases on the
// debugger output channel (at most 5 s later; the time is taken before):
// procwatch listens there as a debug-output monitor (the DBWIN_BUFFER
// section and its two events) and writes the program's text, without its
// first line, to FILE (base/StartupPhases.h). --limit
// (default 60) ends the program and fails after so many seconds. Exit code: 0, or 1 when the program could not be started or
// the limit was reached.

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// One argument quoted for CommandLineToArgvW and the C runtime.
std::wstring quote(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) return a;
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : a) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        if (c == L'"') out.append(slashes * 2 + 1, L'\\');
        else out.append(slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

struct WindowSearch {
    DWORD pid;
    bool shown = false;    // a visible window of the program exists
    bool painted = false;  // and it is painted
};

BOOL CALLBACK childPending(HWND child, LPARAM pending) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) *reinterpret_cast<bool*>(pending) = true;
    return TRUE;
}

BOOL CALLBACK findPainted(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
    RECT r;
    if (!GetWindowRect(hwnd, &r) || r.right <= r.left || r.bottom <= r.top) return TRUE;
    search->shown = true;
    bool pending = GetUpdateRect(hwnd, nullptr, FALSE) != FALSE;
    if (!pending) EnumChildWindows(hwnd, childPending, reinterpret_cast<LPARAM>(&pending));
    if (pending) return TRUE;
    search->painted = true;
    return FALSE;
}

// A debug-output monitor: the section and events every OutputDebugString of
// the session writes through while it exists. Keeps the first text of the
// watched process that starts with `head`.
class DebugOutputMonitor {
public:
    explicit DebugOutputMonitor(const char* head) : head_(head) {
        bufferReady_ = CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY");
        dataReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
        section_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
        if (section_) view_ = static_cast<const char*>(MapViewOfFile(section_, FILE_MAP_READ, 0, 0, 4096));
    }
    ~DebugOutputMonitor() {
        if (view_) UnmapViewOfFile(view_);
        for (HANDLE h : {section_, dataReady_, bufferReady_})
            if (h) CloseHandle(h);
    }
    bool ready() const { return view_ && bufferReady_ && dataReady_; }
    // Takes the texts that arrive within `ms`; true once the wanted one came.
    bool poll(DWORD processId, DWORD ms) {
        while (ready() && text_.empty() && WaitForSingleObject(dataReady_, ms) == WAIT_OBJECT_0) {
            DWORD sender = 0;
            std::memcpy(&sender, view_, sizeof sender);
            const std::string text(view_ + sizeof sender, strnlen(view_ + sizeof sender, 4096 - sizeof sender));
            if (sender == processId && text.rfind(head_, 0) == 0) text_ = text.substr(std::strlen(head_));
            SetEvent(bufferReady_);
            ms = 0;
        }
        return !text_.empty();
    }
    const std::string& text() const { return text_; }

private:
    const char* head_;
    HANDLE bufferReady_ = nullptr, dataReady_ = nullptr, section_ = nullptr;
    const char* view_ = nullptr;
    std::string text_;
};

size_t peakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool window = false;
    double limit = 60;
    const wchar_t* phasesFile = nullptr;
    int i = 1;
    for (; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--window") window = true;
        else if (a == L"--limit" && i + 1 < argc) limit = _wtof(argv[++i]);
        else if (a == L"--phases" && i + 1 < argc) phasesFile = argv[++i];
        else break;
    }
    if (i >= argc) {
        std::fputs("usage: procwatch [--window] [--phases FILE] [--limit SECONDS] PROGRAM [ARG...]\n", stderr);
        return 2;
    }
    std::wstring commandLine;
    for (int k = i; k < argc; ++k) commandLine += (k > i ? L" " : L"") + quote(argv[k]);

    // Listening before the program starts, so that nothing it sends is lost.
    DebugOutputMonitor monitor("nelvo-startup-phases\n");
    if (phasesFile && !monitor.ready()) std::fputs("procwatch: no debug-output channel\n", stderr);
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "procwatch: cannot start %ls (error %lu)\n", argv[i], GetLastError());
        return 1;
    }
    CloseHandle(info.hThread);
    auto elapsedMs = [&] {
        QueryPerformanceCounter(&now);
        return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
    };

    // The peak is read while the program lives: once it has ended, its
    // counters are gone. The peak never falls, so the last reading before
    // the end is the whole run's up to the last few milliseconds.
    size_t peak = 0;
    double ms = 0, shownMs = -1;
    bool ended = false, found = false;
    for (;;) {
        const DWORD wait = WaitForSingleObject(info.hProcess, window ? 0 : 2);
        if (wait == WAIT_OBJECT_0) {
            ended = true;
            ms = elapsedMs();
            break;
        }
        const size_t p = peakWorkingSet(info.hProcess);
        if (p > peak) peak = p;
        if (window) {
            WindowSearch search{info.dwProcessId};
            EnumWindows(findPainted, reinterpret_cast<LPARAM>(&search));
            if (search.shown && shownMs < 0) shownMs = elapsedMs();
            if (search.painted) {
                ms = elapsedMs();
                found = true;
                break;
            }
            // Keeps the channel free for the program: a writer waits for it.
            if (phasesFile) monitor.poll(info.dwProcessId, 0);
            Sleep(1);
        }
        if (elapsedMs() > limit * 1000) break;
    }
    if (phasesFile && found) {
        for (int wait = 0; wait < 5000 && !monitor.poll(info.dwProcessId, 5); wait += 5)
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
                monitor.poll(info.dwProcessId, 50);
                break;
            }
        if (!monitor.text().empty()) {
            if (FILE* out = _wfopen(phasesFile, L"wb")) {
                std::fwrite(monitor.text().data(), 1, monitor.text().size(), out);
                std::fclose(out);
            }
        }
    }
    DWORD code = 0;
    if (!ended) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    } else {
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hProcess);
    if (window ? !found : !ended) {
        std::fprintf(stderr, "procwatch: %s within %.0f s\n", window ? "no painted window" : "did not end", limit);
        return 1;
    }
    if (window) std::printf("ms=%.1f peak_kb=%zu exit=- shown_ms=%.1f\n", ms, peak / 1024, shownMs);
    else std::printf("ms=%.1f peak_kb=%zu exit=%ld\n", ms, peak / 1024, long(code));
    return 0;
}
