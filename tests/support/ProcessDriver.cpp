#include "tests/support/ProcessDriver.h"

#include "host/UniqueHandle.h"
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

RunResult runAndAnswer(const std::wstring& exe, const RunOptions& options) {
    RunResult result;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!options.arguments.empty()) cmd += L" " + options.arguments;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return result;
    result.started = true;
    UniqueKernelHandle process(pi.hProcess);
    UniqueKernelHandle thread(pi.hThread);

    std::set<HWND> handled;
    int shot = 0;
    const DWORD start = GetTickCount();
    std::vector<DWORD> family{pi.dwProcessId};
    for (;;) {
        const bool ended = WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0;
        // Looked at after the wait: a program may start another just before
        // it ends.
        if (options.followChildren) family = processFamily(pi.dwProcessId);
        if (ended && family.size() == 1) {
            result.finished = true;
            break;
        }
        if (GetTickCount() - start > options.timeoutMs) break;

        Search s{family, {}};
        EnumWindows(collect, reinterpret_cast<LPARAM>(&s));
        for (HWND hwnd : s.found) {
            if (handled.count(hwnd)) continue;
            // Let it finish drawing before it is looked at.
            Sleep(400);
            if (!IsWindow(hwnd)) continue;
            handled.insert(hwnd);
            SeenWindow seen;
            wchar_t cls[256] = {};
            GetClassNameW(hwnd, cls, 256);
            seen.className = cls;
            seen.caption = windowText(hwnd);
            if (seen.className == L"#32770") {
                if (HWND text = GetDlgItem(hwnd, 0xFFFF)) seen.text = windowText(text);
            }
            if (!options.screenshotPrefix.empty()) {
                saveWindowPng(hwnd, screenshotDir() + L"\\" + options.screenshotPrefix +
                                        (shot ? L"-" + std::to_wstring(shot) : L"") + L".png");
                ++shot;
            }
            result.windows.push_back(seen);
            if (seen.className == L"#32770") {
                const int id = options.chooseButton ? options.chooseButton(seen) : options.messageBoxButton;
                HWND button = GetDlgItem(hwnd, id);
                if (button)
                    SendMessageW(button, BM_CLICK, 0, 0);
                else
                    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
            } else if (options.onWindow) {
                options.onWindow(hwnd);
            } else {
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
            }
        }
    }
    if (!result.finished) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        for (DWORD pid : family)
            if (pid != pi.dwProcessId) terminateProcess(pid);
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

void clickAt(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    SetForegroundWindow(window);
    SetCursorPos(p.x, p.y);
    Sleep(50);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input[0], sizeof(INPUT));
    Sleep(50);
    SendInput(1, &input[1], sizeof(INPUT));
    Sleep(100);
}

} // namespace nelvo::test
