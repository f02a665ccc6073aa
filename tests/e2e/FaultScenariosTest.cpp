// Fault scenarios end to end: setup.exe, or a copy of it with one resource
// changed, driven as a person drives it on a machine that fails under it: a
// drive that fills up, a folder that cannot be written, a device tool that
// hangs, a quit message, a second copy, an install script that fails part
// way, a damaged payload member. Each must end with a clear message, report
// nothing that failed as done, leave no process behind and exit with 0.
// The drives N: (4 MB) and O: (read-only) come from faultdrives.sh.

#include "host/TextConvert.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace nelvo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const wchar_t kBusyCaption[] = L"异常";

// The text of the box that reports a file the installation could not write.
std::wstring busyText(const std::wstring& file) {
    return L"文件可能被其他程序占用。\r\n" + file + L"\r\n请关闭占用的程序再重试";
}

// The file a busy box names; empty when the text is not such a box's.
std::wstring busyFile(const std::wstring& text) {
    const std::wstring head = L"文件可能被其他程序占用。\r\n", tail = L"\r\n请关闭占用的程序再重试";
    if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return {};
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

// Compares the install folder with the payload of `setupExe`: every file
// present other than `except` must be the member byte for byte (nothing
// that failed was left looking done). Returns how many members are there
// whole; `exceptProblem` (optional) receives what is wrong with `except`.
size_t expectPresentFilesWhole(const std::wstring& setupExe, const std::wstring& dir, const std::wstring& except,
                               std::string* exceptProblem = nullptr) {
    const std::vector<std::wstring> members = payloadMembers(setupExe);
    EXPECT_FALSE(members.empty()) << "no payload in the setup program";
    const std::string skipped = wideToUtf8(except.size() > dir.size() ? except.substr(dir.size()) : L"") + ": ";
    size_t missing = 0;
    for (const std::string& problem : compareWithPayload(setupExe, dir)) {
        if (!skipped.empty() && problem.rfind(skipped, 0) == 0) {
            if (exceptProblem) *exceptProblem = problem;
        } else if (problem.find(": not installed") != std::string::npos) {
            ++missing;
        } else {
            ADD_FAILURE() << problem;
        }
    }
    return members.size() - missing - (fileExists(except) ? 1 : 0);
}

// No program of the installation runs any more. The usage counter that the
// install script starts last, without waiting, gets a few seconds to end.
void expectNothingRunsFrom(const std::wstring& dir) {
    for (const wchar_t* program : {L"DevconExe.exe", L"DevconExe64.exe", L"Nelvo.exe", L"NelvoCount.exe"})
        EXPECT_TRUE(within(5000, [&] { return !processRunningFrom(dir + program); }))
            << wideToUtf8(program) << " still runs";
}

// Retry on the busy box for `file` (the same box comes again), then Cancel,
// which ends the wizard.
void retryThenCancel(WizardSession& s, const std::wstring& name, const std::wstring& file) {
    SeenWindow box = s.answerNext(IDRETRY, name + L"-retry", 60000);
    EXPECT_EQ(box.caption, kBusyCaption);
    EXPECT_EQ(box.text, busyText(file));
    box = s.answerNext(IDCANCEL, name + L"-cancel", 30000);
    EXPECT_EQ(box.caption, kBusyCaption);
    EXPECT_EQ(box.text, busyText(file)) << "Retry tries the same file again";
    EXPECT_TRUE(s.waitForExit()) << "Cancel ends the wizard";
    EXPECT_EQ(s.process().exitCode(), 0u);
}

// What the screen shows of a part of a window (window coordinates).
std::vector<uint32_t> capture(HWND window, const RECT& part) {
    RECT w;
    GetWindowRect(window, &w);
    RECT r = part;
    OffsetRect(&r, w.left, w.top);
    std::vector<uint32_t> pixels;
    captureScreen(r, pixels);
    return pixels;
}

class FaultScenarios : public WizardTest {
protected:
    void TearDown() override {
        WizardTest::TearDown();
        endProcessesUnder(L"N:\\QuentNelvo\\");
        removeTree(L"N:\\QuentNelvo\\");
    }

    static std::wstring faultSetup(const wchar_t* name) { return outDir() + L"\\tests\\fault\\" + name; }

    // An installation into `dir` (made here, so the wizard asks about a
    // non-empty folder) whose device tool takes `seconds` to install the
    // driver; returns once the tool runs.
    void installUntilTheDeviceToolRuns(WizardSession& s, const std::wstring& dir, int seconds) {
        installWithDeviceOutcome(s, dir, "install 0 " + std::to_string(seconds) + "\n");
        if (HasFatalFailure()) return;
        ASSERT_TRUE(within(120000, [&] { return processRunningFrom(dir + L"DevconExe.exe") ||
                                                processRunningFrom(dir + L"DevconExe64.exe"); }))
            << "the device tool did not start";
    }
};

TEST_F(FaultScenarios, DriveFillsUpDuringExtraction) {
    if (GetDriveTypeW(L"N:\\") != DRIVE_FIXED) GTEST_SKIP() << "no 4 MB drive N: (faultdrives.sh could not mount it)";
    const std::wstring dir = L"N:\\QuentNelvo\\";
    WizardSession s(*layout, L"fault-drive-full");
    openFolderPage(s);
    installTo(s, dir);
    const std::optional<WizardSession::Box> first = s.waitForMessageBox(120000);
    ASSERT_TRUE(first) << "no box when the drive was full";
    const std::wstring file = busyFile(first->seen.text);
    ASSERT_THAT(file, StartsWith(dir)) << "the box names the file that did not fit";
    s.answer(*first, IDRETRY, L"full-retry");
    SeenWindow box = s.answerNext(IDCANCEL, L"full-cancel", 30000);
    EXPECT_EQ(box.text, busyText(file)) << "Retry tries the same file again";
    EXPECT_TRUE(s.waitForExit()) << "Cancel ends the wizard";
    EXPECT_EQ(s.process().exitCode(), 0u);
    // What was reported written is whole; the rest of the payload is not
    // there, and nothing was registered.
    std::string problem;
    EXPECT_GT(expectPresentFilesWhole(setupProgram(), dir, file, &problem), 0u);
    EXPECT_FALSE(problem.empty()) << "the file that did not fit is whole";
    expectNothingRunsFrom(dir);
    expectNothingRegistered();
}

// A folder on a read-only drive cannot be given the installation's access
// list: the installation stops at the folder, before anything is written.
TEST_F(FaultScenarios, ReadOnlyInstallFolder) {
    if (GetDriveTypeW(L"O:\\") != DRIVE_FIXED) GTEST_SKIP() << "no read-only drive O: (faultdrives.sh could not mount it)";
    const std::wstring dir = L"O:\\QuentNelvo\\";
    WizardSession s(*layout, L"fault-read-only");
    openFolderPage(s);
    installTo(s, dir);
    const SeenWindow box = s.answerNext(IDOK, L"read-only-error", 60000);
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_EQ(box.text, L"安装过程发生异常\r\n\r\n创建文件夹" + dir + L"失败");
    EXPECT_TRUE(s.waitForExit()) << "the error ends the wizard";
    EXPECT_EQ(expectPresentFilesWhole(setupProgram(), dir, L""), 0u);
    expectNothingRegistered();
}

// The device tool takes a minute to install the driver. All along, the
// window answers at once, repaints what was covered, and its status line
// keeps moving; a second copy started meanwhile is refused; then the
// installation finishes.
TEST_F(FaultScenarios, HangingDeviceToolAndASecondCopy) {
    const ReportedVersion windows8(L"win8");
    const std::wstring dir = kScratch + L"Hang\\";
    WizardSession s(*layout, L"fault-hang");
    installUntilTheDeviceToolRuns(s, dir, 60);
    if (HasFatalFailure()) return;
    const DWORD hangStart = GetTickCount();
    s.shot(L"device-tool-runs");

    // Answers within a second, every time.
    for (int i = 0; i < 10; ++i) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(s.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));
        Sleep(200);
    }
    // The status line (above the bar's left end) changes every half second.
    const RECT status = layout->controlRect(4003);
    std::vector<std::vector<uint32_t>> frames;
    for (int i = 0; i < 6; ++i) {
        frames.push_back(capture(s.window(), status));
        Sleep(300);
    }
    size_t changes = 0;
    for (size_t i = 1; i < frames.size(); ++i) changes += frames[i] != frames[i - 1];
    EXPECT_GE(changes, 2u) << "the status animation stands still";

    // A window laid over the wizard and taken away again: the wizard paints
    // the uncovered part anew (the bar stands still while the tool runs).
    const RECT bar = layout->controlRect(4001);
    const std::vector<uint32_t> shown = capture(s.window(), bar);
    RECT wr;
    GetWindowRect(s.window(), &wr);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, wr.left,
                                 wr.top, wr.right - wr.left, wr.bottom - wr.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(cover);
    UpdateWindow(cover);
    EXPECT_TRUE(within(2000, [&] { return capture(s.window(), bar) != shown; })) << "the cover did not show";
    DestroyWindow(cover);
    EXPECT_TRUE(within(3000, [&] { return capture(s.window(), bar) == shown; })) << "the uncovered window stayed blank";
    s.shot(L"after-cover");

    // A second copy is refused while the first installs.
    RunOptions second;
    second.timeoutMs = 20000;
    second.screenshotPrefix = L"fault-hang-second-copy";
    const RunResult other = runAndAnswer(setupProgram(), second);
    EXPECT_TRUE(other.finished);
    EXPECT_EQ(other.exitCode, 0u);
    ASSERT_EQ(other.windows.size(), 1u);
    EXPECT_EQ(other.windows[0].caption, L"提示");
    EXPECT_EQ(other.windows[0].text, L"检测到Quent安装或卸载程序正在运行，请结束后重试。");

    // The tool ends after its minute and the installation finishes.
    ASSERT_TRUE(within(120000, [&] { return s.progressFill() < 0; })) << "no finish page";
    EXPECT_GE(GetTickCount() - hangStart, 50000u) << "the tool did not hang";
    s.shot(L"finish-page");
    s.click(wizard::kRunProduct);  // no product start: nothing to end afterwards
    s.click(wizard::kFinish);
    EXPECT_TRUE(s.waitForExit());
    EXPECT_EQ(s.process().exitCode(), 0u);
    EXPECT_THAT(readFile(dir + L"DevconExe.log"), HasSubstr("install"));
    expectNothingRunsFrom(dir);
}

// WM_QUIT reaches the wizard's thread while the worker waits for the device
// tool: the window goes at once, the process ends once the worker has, and
// nothing is registered.
TEST_F(FaultScenarios, QuitMessageWhileTheWorkerRuns) {
    const ReportedVersion windows8(L"win8");
    const std::wstring dir = kScratch + L"Quit\\";
    WizardSession s(*layout, L"fault-quit");
    installUntilTheDeviceToolRuns(s, dir, 8);
    if (HasFatalFailure()) return;
    const DWORD thread = GetWindowThreadProcessId(s.window(), nullptr);
    const DWORD quitTick = GetTickCount();
    ASSERT_TRUE(PostThreadMessageW(thread, WM_QUIT, 0, 0));
    EXPECT_TRUE(within(5000, [&] { return !IsWindowVisible(s.window()); })) << "the window stays after WM_QUIT";
    EXPECT_TRUE(s.waitForExit(30000)) << "the process outlives its worker";
    const DWORD exitMs = GetTickCount() - quitTick;
    std::printf("WM_QUIT to process end: %lu ms\n", exitMs);
    EXPECT_EQ(s.process().exitCode(), 0u);
    EXPECT_THAT(readFile(dir + L"DevconExe.log"), HasSubstr("install")) << "the worker ran to its end";
    expectNothingRunsFrom(dir);
    expectNothingRegistered();
}

TEST_F(FaultScenarios, InstallScriptFailsPartWay) {
    const std::wstring dir = kScratch + L"ScriptFails\\";
    WizardSession s(*layout, L"fault-script-error", faultSetup(L"setup-script-fails.exe"));
    openFolderPage(s);
    installTo(s, dir);
    const SeenWindow box = s.answerNext(IDOK, L"script-error", 120000);
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_THAT(box.text, StartsWith(L"安装过程发生异常\r\n\r\n"));
    EXPECT_THAT(box.text, HasSubstr(L"测试：安装脚本中途出错"));
    EXPECT_TRUE(s.waitForExit()) << "the error ends the wizard";
    EXPECT_EQ(s.process().exitCode(), 0u);
    // The script stopped where it failed.
    EXPECT_GT(expectPresentFilesWhole(setupProgram(), dir, L""), 0u);
    EXPECT_FALSE(fileExists(dir + L"Resource\\Test.wma"));
    EXPECT_FALSE(fileExists(dir + L"unins000.exe"));
    expectNothingRunsFrom(dir);
    expectNothingRegistered();
}

TEST_F(FaultScenarios, DamagedMemberIsNeverReportedGood) {
    const std::wstring dir = kScratch + L"Damaged\\";
    WizardSession s(*layout, L"fault-damaged-member", faultSetup(L"setup-damaged-member.exe"));
    openFolderPage(s);
    installTo(s, dir);
    retryThenCancel(s, L"damaged", dir + L"nelvo.sys");
    std::string problem;
    EXPECT_GT(expectPresentFilesWhole(faultSetup(L"setup-damaged-member.exe"), dir, dir + L"nelvo.sys", &problem), 0u);
    EXPECT_EQ(problem, "nelvo.sys: the payload member does not decode");
    EXPECT_FALSE(fileExists(dir + L"NelvoBugReport.exe")) << "nothing after the damaged member";
    expectNothingRunsFrom(dir);
    expectNothingRegistered();
}

} // namespace
} // namespace nelvo::test
