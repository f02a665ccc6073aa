// The script bridge as script authors meet it: small scripts run by
// `luarun --ui` on the shipped wizard window, driven by real clicks, with
// their checks written to a file and their message boxes read from outside.

#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace nelvo::test {
namespace {

// The accept button of the licence page and the install button of the
// folder page share this place (bottom right of a 504 x 366 window).
constexpr int kButtonX = 504 - 24 - 31;
constexpr int kButtonY = 366 - 20 - 13;

std::wstring scriptsDir() {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(L"NELVO_SOURCE", buf, 1024);
    return unixToWindows(std::wstring(buf, n)) + L"\\tests\\script\\ui";
}

std::wstring resultPath() { return outDir() + L"\\tests\\bridge-result.txt"; }

std::string readResult() {
    std::string content;
    FILE* f = _wfopen(resultPath().c_str(), L"rb");
    if (!f) return "(no result)";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    fclose(f);
    return content;
}

bool isWizardWindow(HWND hwnd) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    return std::wstring(cls) == L"WINDOW:234:000";
}

// Runs tests/script/ui/NAME.lua; `clicks` real clicks at the button place
// once the wizard window shows.
RunResult runScript(const std::wstring& name, int clicks = 0) {
    SetEnvironmentVariableW(L"NELVO_UI_TESTS", scriptsDir().c_str());
    SetEnvironmentVariableW(L"NELVO_UI_RESULT", resultPath().c_str());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 504) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - 366 - 100) / 2;
    SetEnvironmentVariableW(L"NELVO_UI_CENTER", (std::to_wstring(x) + L"," + std::to_wstring(y)).c_str());
    DeleteFileW(resultPath().c_str());

    RunOptions options;
    options.arguments = L"--ui \"" + scriptsDir() + L"\\" + name + L".lua\"";
    options.screenshotPrefix = L"bridge-" + name;
    options.onWindow = [clicks](HWND hwnd) {
        if (!isWizardWindow(hwnd)) return;
        for (int i = 0; i < clicks; ++i) {
            clickAt(hwnd, kButtonX, kButtonY);
            Sleep(300);
        }
    };
    return runAndAnswer(outDir() + L"\\luarun.exe", options);
}

size_t errorBoxes(const RunResult& run) {
    return std::count_if(run.windows.begin(), run.windows.end(),
                         [](const SeenWindow& w) { return w.className == L"#32770" && w.caption == L"错误"; });
}

const SeenWindow* errorBox(const RunResult& run) {
    for (const SeenWindow& w : run.windows)
        if (w.className == L"#32770" && w.caption == L"错误") return &w;
    return nullptr;
}

TEST(Bridge, ControlObjectsHandlersWindowMethodsAndTimers) {
    const RunResult run = runScript(L"controls");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(errorBoxes(run), 0u) << (errorBox(run) ? std::string(errorBox(run)->text.begin(), errorBox(run)->text.end()) : "");
    EXPECT_EQ(readResult(), "ok\n");
}

TEST(Bridge, ClicksSwitchPagesAndAnOwnedBoxEndsTheDialog) {
    const RunResult run = runScript(L"wizard", 2);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(readResult(), "ok\n");
    ASSERT_TRUE(run.sawCaption(L"提示"));
    EXPECT_EQ(errorBoxes(run), 0u);
}

TEST(Bridge, WorkerNotificationsAreAnsweredByTheMessageHandler) {
    const RunResult run = runScript(L"messages");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(errorBoxes(run), 0u);
    EXPECT_EQ(readResult(), "ok\n");
}

TEST(Bridge, HandlerCodesHandlerListsCoroutineAndBoxTimersNestedDialogs) {
    const RunResult run = runScript(L"callbacks");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(errorBoxes(run), 0u) << (errorBox(run) ? std::string(errorBox(run)->text.begin(), errorBox(run)->text.end()) : "");
    EXPECT_EQ(std::count_if(run.windows.begin(), run.windows.end(),
                            [](const SeenWindow& w) { return w.className == L"#32770" && w.caption == L"提示"; }),
              1);
    EXPECT_EQ(readResult(), "ok\n");
}

// Each failing script shows its error once, in the "错误" box with the
// interpreter's message and position, and the program ends normally.
struct ErrorCase {
    const wchar_t* script;
    int clicks;
    const wchar_t* message;  // part of the box's text
};

class BridgeErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(BridgeErrors, AreReportedOnceAndTheProgramEnds) {
    const ErrorCase& c = GetParam();
    const RunResult run = runScript(c.script, c.clicks);
    ASSERT_TRUE(run.finished) << "the program was still running";
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(errorBoxes(run), 1u);
    EXPECT_NE(errorBox(run)->text.find(c.message), std::wstring::npos)
        << std::string(errorBox(run)->text.begin(), errorBox(run)->text.end());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, BridgeErrors,
    testing::Values(ErrorCase{L"error-click", 1, L":8: attempt to index local 't' (a nil value)"},
                    ErrorCase{L"error-timer", 0, L":6: 计时器出错：第2次"},
                    // The worker is told to stop and the program still ends.
                    ErrorCase{L"error-message", 0, L":4: 通知处理出错"},
                    ErrorCase{L"error-syntax", 0, L":3: ')' expected"},
                    // The chunk name is cut inside a Chinese character.
                    ErrorCase{L"error-chinese", 0, L":2: 安装向导出错：找不到安装目录"},
                    ErrorCase{L"error-bootstrap", 0, L"attempt to call global 'lua_addWindow' (a nil value)"},
                    // A global table that raises for unknown names, and a
                    // bootstrap function missing from it.
                    ErrorCase{L"error-strict-remove", 0, L"未定义的全局变量 lua_removeControl"},
                    ErrorCase{L"error-strict-message", 0, L"未定义的全局变量 lua_invokeMessageHandler"}),
    [](const testing::TestParamInfo<ErrorCase>& info) {
        std::wstring name = info.param.script;
        std::replace(name.begin(), name.end(), L'-', L'_');
        return std::string(name.begin(), name.end());
    });

} // namespace
} // namespace nelvo::test
