#include "tests/support/ProcessDriver.h"

#include "host/UniqueHandle.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <set>

namespace nelvo::test {

bool RunResult::sawCaption(const std::wstring& caption) const {
    return std::any_of(windows.begin(), windows.end(), [&](const SeenWindow& w) { return w.caption == caption; });
}

namespace {

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
    return TRUE;
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
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        options.folder.empty() ? nullptr : options.folder.c_str(), &si, &pi))
        return result;
    result.started = true;
    UniqueKernelHandle process(pi.hProcess);
    UniqueKernelHandle thread(pi.hThread);

    std::set<HWND> handled;
    int shot = 0;
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) {
            result.finished = true;
            break;
        }
        if (GetTickCount() - start > options.timeoutMs) break;

        Search s{pi.dwProcessId, {}};
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
                HWND button = GetDlgItem(hwnd, options.messageBoxButton);
                if (button)
                    SendMessageW(button, BM_CLICK, 0, 0);
                else
                    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(options.messageBoxButton, BN_CLICKED), 0);
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
