#include "tests/support/ProcessDriver.h"

#include "tests/support/RealInput.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <set>

namespace nelvo::test {

bool RunResult::sawCaption(const std::wstring& caption) const {
    return std::any_of(windows.begin(), windows.end(), [&](const SeenWindow& w) { return w.caption == caption; });
}

std::vector<DWORD> processFamily(DWORD root) {
    std::multimap<DWORD, DWORD> children;
    UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
            if (entry.th32ProcessID != root) children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
    }
    std::vector<DWORD> family{root};
    for (size_t i = 0; i < family.size(); ++i) {
        auto [first, last] = children.equal_range(family[i]);
        for (auto it = first; it != last; ++it)
            if (std::find(family.begin(), family.end(), it->second) == family.end()) family.push_back(it->second);
    }
    return family;
}

namespace {

struct Search {
    std::vector<DWORD> pids;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (std::find(s->pids.begin(), s->pids.end(), pid) != s->pids.end() && IsWindowVisible(hwnd))
        s->found.push_back(hwnd);
    return TRUE;
}

void terminateProcess(DWORD pid) {
    UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) return;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
}

std::wstring windowText(HWND hwnd) {
    wchar_t buf[2048] = {};
    GetWindowTextW(hwnd, buf, 2048);
    return buf;
}

} // namespace

bool ChildProcess::start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& currentFolder) {
    kill();
    const size_t slash = exe.find_last_of(L"\\/");
    const std::wstring folder = !currentFolder.empty()      ? currentFolder
                                : slash == std::wstring::npos ? std::wstring()
                                                              : exe.substr(0, slash);
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!arguments.empty()) cmd += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    id_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool ChildProcess::waitForExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ChildProcess::kill() {
    if (!running()) return;
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
}

std::vector<HWND> visibleWindowsOf(DWORD processId) { return visibleWindowsOf(std::vector<DWORD>{processId}); }

std::vector<HWND> visibleWindowsOf(const std::vector<DWORD>& processIds) {
    Search s{processIds, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool isMessageBox(HWND window) {
    wchar_t cls[256] = {};
    GetClassNameW(window, cls, 256);
    return std::wstring(cls) == L"#32770";
}

SeenWindow describeWindow(HWND window) {
    SeenWindow seen;
    wchar_t cls[256] = {};
    GetClassNameW(window, cls, 256);
    seen.className = cls;
    seen.caption = windowText(window);
    if (seen.className == L"#32770") {
        if (HWND text = GetDlgItem(window, 0xFFFF)) seen.text = windowText(text);
    }
    return seen;
}

bool messageBoxButtonRect(HWND box, int buttonId, RECT& out) {
    HWND button = GetDlgItem(box, buttonId);
    return button && IsWindowVisible(button) && GetWindowRect(button, &out);
}

bool pressMessageBoxButton(HWND box, int buttonId) {
    RECT r;
    if (messageBoxButtonRect(box, buttonId, r)) {
        clickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        for (int i = 0; i < 40 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(50);
        if (!IsWindow(box) || !IsWindowVisible(box)) return true;
    }
    // The click did not reach it (another window in the way, or no such
    // button): press it by its command.
    if (HWND button = GetDlgItem(box, buttonId))
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    else
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    for (int i = 0; i < 40 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(50);
    return !IsWindow(box) || !IsWindowVisible(box);
}

RunResult runAndAnswer(const std::wstring& exe, const RunOptions& options) {
    RunResult result;
    ChildProcess process;
    if (!process.start(exe, options.arguments, options.folder)) return result;
    result.started = true;

    std::set<HWND> handled;
    int shot = 0;
    const DWORD start = GetTickCount();
    std::vector<DWORD> family{process.id()};
    for (;;) {
        const bool ended = process.waitForExit(100);
        // Looked at after the wait: a program may start another just before
        // it ends.
        if (options.followChildren) family = processFamily(process.id());
        if (ended && family.size() == 1) {
            result.finished = true;
            break;
        }
        if (GetTickCount() - start > options.timeoutMs) break;

        for (HWND hwnd : visibleWindowsOf(family)) {
            if (handled.count(hwnd)) continue;
            // Let it finish drawing before it is looked at.
            Sleep(400);
            if (!IsWindow(hwnd)) continue;
            handled.insert(hwnd);
            const SeenWindow seen = describeWindow(hwnd);
            if (!options.screenshotPrefix.empty()) {
                saveWindowPng(hwnd, screenshotDir() + L"\\" + options.screenshotPrefix +
                                        (shot ? L"-" + std::to_wstring(shot) : L"") + L".png");
                ++shot;
            }
            result.windows.push_back(seen);
            if (isMessageBox(hwnd))
                pressMessageBoxButton(hwnd, options.chooseButton ? options.chooseButton(seen) : options.messageBoxButton);
            else if (options.onWindow)
                options.onWindow(hwnd);
            else
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
    }
    if (!result.finished)
        for (DWORD pid : family)
            if (pid != process.id()) terminateProcess(pid);
    process.kill();
    result.exitCode = process.exitCode();
    return result;
}

void clickAt(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    SetForegroundWindow(window);
    clickAt(p);
    Sleep(100);
}

} // namespace nelvo::test
