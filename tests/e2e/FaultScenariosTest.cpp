// Fault scenarios end to end: setup.exe, or a copy of it with one resource
// changed, driven as a person drives it on a machine that fails under it: a
// drive that fills up, a folder that cannot be written, a device tool that
// hangs, a quit message, a second copy, an install script that fails part
// way, a damaged payload member, a damaged payload, a file held open, folder names the system
// refuses. Each must end with a clear message, report nothing that failed as
// done, leave no cut file and no process behind, take back what a run that
// did not succeed changed, and exit with 0. The drives N: (16 MB, filled
// by the scenarios to what they need) and O: (read-only) come from
// faultdrives.sh.

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "tests/support/DamagedCopy.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/PrefixState.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/RealInput.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace nelvo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const wchar_t kBusyCaption[] = L"异常";

// The box that reports a file the installation could not write: why, the
// file, what helps, one line each.
std::wstring failureText(const std::wstring& cause, const std::wstring& file, const std::wstring& advice) {
    return cause + L"\r\n" + file + L"\r\n" + advice;
}
// The file held open by another program.
std::wstring busyText(const std::wstring& file) {
    return failureText(L"文件可能被其他程序占用。", file, L"请关闭占用的程序再重试");
}
// A folder in the file's place: the system refuses the write as it does
// one the folder's permissions forbid.
std::wstring deniedText(const std::wstring& file) {
    return failureText(L"没有写入的权限。", file, L"请检查安装目录的权限后重试，或取消后选择其他安装目录");
}
std::wstring damagedText(const std::wstring& file) {
    return failureText(L"安装程序文件已损坏。", file, L"请重新下载安装程序后再运行");
}

// The line of a failure box's text (0 the cause, 1 the file, 2 the advice).
std::wstring failureLine(const std::wstring& text, size_t line) {
    size_t start = 0;
    for (size_t i = 0; i < line && start != std::wstring::npos; ++i) {
        start = text.find(L"\r\n", start);
        if (start != std::wstring::npos) start += 2;
    }
    if (start == std::wstring::npos) return {};
    return text.substr(start, text.find(L"\r\n", start) - start);
}

// Fills the drive at `root` with root\filler.bin until `leave` bytes are
// free. False when it has less free already or cannot be written.
bool fillDrive(const std::wstring& root, uint64_t leave) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr) || available.QuadPart < leave) return false;
    UniqueFileHandle file(CreateFileW((root + L"filler.bin").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!file || SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) return false;
    // Written, not just sized: a drive in memory gives room only to data.
    const std::vector<char> block(64 * 1024, 'x');
    for (uint64_t left = available.QuadPart - leave; left > 0;) {
        const DWORD n = DWORD(std::min<uint64_t>(left, block.size()));
        DWORD written = 0;
        if (!WriteFile(file.get(), block.data(), n, &written, nullptr) || written != n) return false;
        left -= n;
    }
    return true;
}

// The room free on a drive as the wizard's boxes show it: "416 KB",
// "3.9 MB".
std::wstring freeText(const std::wstring& root) {
    ULARGE_INTEGER available{};
    GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr);
    const double kb = double(available.QuadPart) / 1024;
    wchar_t text[32];
    if (kb < 1000)
        swprintf(text, 32, L"%d KB", int(kb));
    else
        swprintf(text, 32, L"%.1f MB", std::floor(kb / 1024 * 10) / 10);
    return text;
}

// Whether a tooltip window of the process `id` shows.
struct TooltipSearch {
    DWORD id;
    bool found = false;
};
BOOL CALLBACK findTooltip(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner == search->id && IsWindowVisible(window) && _wcsicmp(name, L"tooltips_class32") == 0)
        search->found = true;
    return !search->found;
}
bool tooltipShows(DWORD id) {
    TooltipSearch search{id};
    EnumWindows(findTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

// Retry on the box that reports `text` (the same box comes again), then
// Cancel; the worker takes the run back and the wizard closes with its box.
void retryThenCancel(WizardSession& s, const std::wstring& name, const std::wstring& text) {
    SeenWindow box = s.answerNext(IDRETRY, name + L"-retry", 60000);
    EXPECT_EQ(box.caption, kBusyCaption);
    EXPECT_EQ(box.text, text);
    box = s.answerNext(IDCANCEL, name + L"-cancel", 30000);
    EXPECT_EQ(box.caption, kBusyCaption);
    EXPECT_EQ(box.text, text) << "Retry tries the same file again";
    EXPECT_EQ(closeUndoneRun(s, name + L"-undone").text, kUndoneText);
}

// The product's data folder, which the install script makes first.
std::wstring dataFolder() { return specialFolder(CSIDL_APPDATA) + L"\\Nelvo"; }

// Nothing of a run that was taken back: no folder it made, no file of the
// payload, no data folder, no registration.
void expectTakenBack(const std::wstring& dir, bool dirWasThere) {
    EXPECT_EQ(fileExists(dir), dirWasThere) << wideToUtf8(dir);
    if (dirWasThere) {
        EXPECT_EQ(expectPresentFilesWhole(setupProgram(), dir, L""), 0u) << "payload files stayed";
    }
    EXPECT_FALSE(fileExists(dataFolder())) << "the data folder stayed";
    expectNothingRegistered();
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
        DeleteFileW(L"N:\\filler.bin");
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

// The folder page shows the room the installation takes and the room free
// on the drive of the folder typed, and refuses a drive with too little
// before anything is written. Its browse button says what it does when the
// pointer rests on it.
TEST_F(FaultScenarios, DriveTooSmallIsRefusedOnTheFolderPage) {
    if (GetDriveTypeW(L"N:\\") != DRIVE_FIXED) GTEST_SKIP() << "no drive N: (faultdrives.sh could not mount it)";
    ASSERT_TRUE(fillDrive(L"N:\\", 4u << 20));
    WizardSession s(*layout, L"fault-drive-small");
    openFolderPage(s);
    if (HasFatalFailure()) return;
    // The browse button's tooltip, from the markup, in the system's tooltip
    // window. Wine under Xvfb sends no hover message for a pointer at rest,
    // so the test sends the one the system would.
    s.hover(wizard::kBrowse);
    const POINT browse = layout->controlCentre(wizard::kBrowse);
    PostMessageW(s.window(), WM_MOUSEHOVER, 0, MAKELPARAM(browse.x, browse.y));
    EXPECT_TRUE(within(5000, [&] { return tooltipShows(s.process().id()); })) << "no tooltip on the browse button";
    s.shot(L"browse-tooltip");
    // The free room follows the folder typed: another drive, another
    // figure, and the first one back with the first drive.
    const RECT label = layout->controlRect(3006);
    const RECT freeLine{label.left, label.top, label.right, label.top + 18};
    ASSERT_TRUE(s.replaceFolderText(L"C:\\NelvoE2E\\Small"));
    Sleep(300);
    const std::vector<uint32_t> onC = capture(s.window(), freeLine);
    s.shot(L"space-on-c");
    ASSERT_TRUE(s.replaceFolderText(L"N:\\QuentNelvo"));
    Sleep(300);
    EXPECT_NE(capture(s.window(), freeLine), onC) << "the free space did not follow the typed drive";
    s.shot(L"space-on-n");
    ASSERT_TRUE(s.replaceFolderText(L"C:\\NelvoE2E\\Small"));
    Sleep(300);
    EXPECT_EQ(capture(s.window(), freeLine), onC);

    installTo(s, L"N:\\QuentNelvo");
    const SeenWindow box = s.answerNext(IDOK, L"too-small");
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_THAT(box.text, StartsWith(L"磁盘 N: 的空间不足，无法安装。\n\n所需空间："));
    EXPECT_THAT(box.text, HasSubstr(L" MB\n可用空间：" + freeText(L"N:\\") + L"\n\n请释放磁盘 N: 的空间，或选择其他安装目录。"));
    // Still on the folder page, and nothing written: not the folder, not
    // the data folder that the install worker makes first.
    EXPECT_TRUE(s.process().running());
    EXPECT_FALSE(fileExists(L"N:\\QuentNelvo"));
    EXPECT_FALSE(fileExists(dataFolder()));
    s.click(wizard::kClose);
    EXPECT_EQ(s.answerNext(IDYES, L"close-yes").caption, L"退出安装程序");
    EXPECT_TRUE(s.waitForExit());
}

// The drive has room when the installation starts, then something else
// takes it: the box says the drive is full, which one, and how much is
// free; Retry meets the same full drive, Cancel takes the run back.
TEST_F(FaultScenarios, DriveFillsUpDuringExtraction) {
    if (GetDriveTypeW(L"N:\\") != DRIVE_FIXED) GTEST_SKIP() << "no drive N: (faultdrives.sh could not mount it)";
    const std::wstring dir = L"N:\\QuentNelvo\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(writeFile(dir + L"notes.txt", "the user's own"));
    WizardSession s(*layout, L"fault-drive-full");
    openFolderPage(s);
    installTo(s, dir);
    // The room is taken while the wizard asks about the folder not being
    // empty, after the space check.
    const std::optional<WizardSession::Box> notEmpty = s.waitForMessageBox();
    ASSERT_TRUE(notEmpty) << "no question about the folder";
    EXPECT_EQ(notEmpty->seen.caption, L"提示");
    ASSERT_TRUE(fillDrive(L"N:\\", 4u << 20));
    s.answer(*notEmpty, IDOK, L"not-empty-ok");
    const std::optional<WizardSession::Box> first = s.waitForMessageBox(120000);
    ASSERT_TRUE(first) << "no box when the drive was full";
    EXPECT_EQ(first->seen.caption, kBusyCaption);
    const std::wstring file = failureLine(first->seen.text, 1);
    ASSERT_THAT(file, StartsWith(dir)) << "the box names the file that did not fit";
    EXPECT_EQ(failureLine(first->seen.text, 0), L"磁盘 N: 的空间已满。");
    EXPECT_THAT(failureLine(first->seen.text, 2), StartsWith(L"请释放磁盘 N: 的空间（安装需要 "));
    EXPECT_THAT(failureLine(first->seen.text, 2), HasSubstr(L"，现在可用 " + freeText(L"N:\\") + L"）后重试"));
    // While the box waits: every file there is a whole member; the one that
    // did not fit has no file at all, and no temporary file is left.
    std::string problem;
    EXPECT_GT(expectPresentFilesWhole(setupProgram(), dir, file, &problem), 0u);
    EXPECT_FALSE(fileExists(file)) << "a cut file at the member's name";
    for (const auto& [name, copy] : folderContents(dir))
        EXPECT_FALSE(copy.attributes & FILE_ATTRIBUTE_HIDDEN) << "left behind: " << wideToUtf8(name);
    s.answer(*first, IDRETRY, L"full-retry");
    SeenWindow box = s.answerNext(IDCANCEL, L"full-cancel", 30000);
    EXPECT_EQ(box.text, first->seen.text) << "Retry tries the same file again";
    EXPECT_EQ(closeUndoneRun(s, L"fault-drive-full-undone").text, kUndoneText);
    expectNothingRunsFrom(dir);
    expectTakenBack(dir, true);
    EXPECT_EQ(readFile(dir + L"notes.txt"), "the user's own");
}

// A folder on a read-only drive cannot be given the installation's access
// list: the installation stops at the folder, before anything is written,
// and the box says that it may not write there.
TEST_F(FaultScenarios, ReadOnlyInstallFolder) {
    if (GetDriveTypeW(L"O:\\") != DRIVE_FIXED) GTEST_SKIP() << "no read-only drive O: (faultdrives.sh could not mount it)";
    const std::wstring dir = L"O:\\QuentNelvo\\";
    WizardSession s(*layout, L"fault-read-only");
    openFolderPage(s);
    installTo(s, dir);
    const SeenWindow box = s.answerNext(IDOK, L"read-only-error", 60000);
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_EQ(box.text, L"安装过程发生异常\r\n\r\n创建文件夹" + dir +
                            L"失败\r\n\r\n没有写入的权限。请检查安装目录的权限，或重新运行安装程序并选择其他安装目录。");
    EXPECT_EQ(closeUndoneRun(s, L"read-only-undone").text, kUndoneText);
    expectTakenBack(dir, true);
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
    EXPECT_EQ(other.exitCode, kExitAnotherRunning);
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

// WM_QUIT reaches the wizard's thread, first while it asks about a file it
// cannot write half-way through the extraction, then while the worker waits
// for the device tool to install the driver: the window goes at once, the
// worker stops at its next notification instead of going on without a
// wizard, takes the run back (the driver it had installed removed again),
// and the process ends; nothing is registered.
TEST_F(FaultScenarios, QuitMessageEndsTheRunAndItIsTakenBack) {
    const ReportedVersion windows8(L"win8");
    const std::wstring blocked = kScratch + L"QuitBlocked\\";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((blocked + L"Resource").c_str(), nullptr));
    // A folder where a file of the payload goes.
    ASSERT_TRUE(CreateDirectoryW((blocked + L"libcurl.dll").c_str(), nullptr));
    {
        WizardSession s(*layout, L"fault-quit-extracting");
        openFolderPage(s);
        installTo(s, blocked);
        EXPECT_EQ(s.answerNext(IDOK, L"not-empty-ok").caption, L"提示");
        const std::optional<WizardSession::Box> busy = s.waitForMessageBox(120000);
        ASSERT_TRUE(busy) << "no box for the blocked file";
        EXPECT_EQ(busy->seen.text, deniedText(blocked + L"libcurl.dll"));
        s.shot(L"busy-box");
        ASSERT_TRUE(PostThreadMessageW(GetWindowThreadProcessId(s.window(), nullptr), WM_QUIT, 0, 0));
        EXPECT_TRUE(within(5000, [&] { return !IsWindowVisible(s.window()); })) << "the window stays after WM_QUIT";
        EXPECT_TRUE(s.waitForExit(60000)) << "the worker went on, or waits for an answer";
        EXPECT_EQ(s.process().exitCode(), kExitFailed);
        EXPECT_FALSE(s.waitForMessageBox(1000)) << "a box after the quit";
    }
    EXPECT_EQ(folderContents(blocked).size(), 2u) << "more than the two folders the user made";
    expectTakenBack(blocked, true);

    const std::wstring dir = kScratch + L"Quit\\";
    WizardSession s(*layout, L"fault-quit");
    installUntilTheDeviceToolRuns(s, dir, 8);
    if (HasFatalFailure()) return;
    const DWORD thread = GetWindowThreadProcessId(s.window(), nullptr);
    const DWORD quitTick = GetTickCount();
    ASSERT_TRUE(PostThreadMessageW(thread, WM_QUIT, 0, 0));
    EXPECT_TRUE(within(5000, [&] { return !IsWindowVisible(s.window()); })) << "the window stays after WM_QUIT";
    EXPECT_TRUE(s.waitForExit(60000)) << "the process outlives its worker";
    const DWORD exitMs = GetTickCount() - quitTick;
    std::printf("WM_QUIT to process end: %lu ms\n", exitMs);
    EXPECT_EQ(s.process().exitCode(), kExitFailed);
    // The tool's log and the test's outcome file stay (neither is the run's).
    const std::string log = readFile(dir + L"DevconExe.log");
    EXPECT_THAT(log, HasSubstr("install"));
    EXPECT_THAT(log.substr(log.find("install")), HasSubstr("remove")) << "the driver installed stays";
    expectNothingRunsFrom(dir);
    expectTakenBack(dir, true);
    std::vector<std::wstring> left;
    for (const auto& [name, copy] : folderContents(dir)) left.push_back(name);
    EXPECT_EQ(left, (std::vector<std::wstring>{L"DevconExe.log", L"devcon-outcome.txt"}));
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
    // The files written before the error (nearly all of them) go again.
    EXPECT_EQ(closeUndoneRun(s, L"script-error-undone").text, kUndoneText);
    expectNothingRunsFrom(dir);
    expectTakenBack(dir, false);
}

TEST_F(FaultScenarios, DamagedMemberIsNeverWritten) {
    const std::wstring dir = kScratch + L"Damaged\\";
    WizardSession s(*layout, L"fault-damaged-member", faultSetup(L"setup-damaged-member.exe"));
    openFolderPage(s);
    installTo(s, dir);
    const std::optional<WizardSession::Box> box = s.waitForMessageBox(120000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->seen.text, damagedText(dir + L"nelvo.sys"));
    EXPECT_TRUE(fileExists(dir + L"nelvo.inf"));
    EXPECT_FALSE(fileExists(dir + L"nelvo.sys")) << "what decoded of the member was written";
    retryThenCancel(s, L"damaged", damagedText(dir + L"nelvo.sys"));
    expectNothingRunsFrom(dir);
    expectTakenBack(dir, false);
}

// The payload damaged on its way (one bit of program.lz): the wizard shows
// while its digest is checked, and the install button brings the box that
// refuses a damaged program; the program ends having written nothing.
TEST_F(FaultScenarios, DamagedPayloadIsRefusedBeforeAnythingIsWritten) {
    const std::wstring copy = faultSetup(L"setup-damaged-payload.exe");
    ASSERT_TRUE(writeDamagedCopy(setupProgram(), outDir() + L"\\resources\\program.lz", copy));
    const std::wstring dir = kScratch + L"DamagedPayload\\";
    const PrefixState before = capturePrefix();
    ASSERT_FALSE(before.registry.empty());
    {
        WizardSession s(*layout, L"fault-damaged-payload", copy);
        openFolderPage(s);
        installTo(s, dir);
        const SeenWindow box = s.answerNext(IDOK, L"damaged-payload", 30000);
        EXPECT_EQ(box.caption, L"提示");
        EXPECT_EQ(box.text, L"安装程序文件已损坏，请重新下载安装程序后再运行。");
        EXPECT_TRUE(s.waitForExit()) << "the program goes on after the refusal";
        EXPECT_EQ(s.process().exitCode(), kExitFailed);
        EXPECT_FALSE(s.waitForMessageBox(1000)) << "a box after the refusal";
    }
    EXPECT_FALSE(fileExists(dir));
    EXPECT_EQ(describeChanges(prefixChanges(before, capturePrefix())), "(none)");
    DeleteFileW(copy.c_str());
}

// The install script fails at its last step, once the camera filter and the
// product are registered and the settings file moved over the user's: no
// finish page, the wizard reports it and the run is taken back, the filter
// unregistered, the user's settings back, nothing registered.
TEST_F(FaultScenarios, FailureAtTheLastStepIsTakenBack) {
    const ReportedVersion windows7(L"win7");
    const std::wstring codecs = dataFolder() + L"\\codecs\\";
    ASSERT_TRUE(CreateDirectoryW(dataFolder().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(codecs.c_str(), nullptr));
    ASSERT_TRUE(writeFile(codecs + L"config_default", "the user's settings"));
    const std::wstring dir = kScratch + L"FailsLate\\";
    WizardSession s(*layout, L"fault-fails-late", faultSetup(L"setup-fails-late.exe"));
    openFolderPage(s);
    installTo(s, dir);
    const SeenWindow box = s.answerNext(IDOK, L"late-error", 120000);
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_THAT(box.text, HasSubstr(L"测试：收尾时出错"));
    EXPECT_EQ(closeUndoneRun(s, L"late-error-undone").text, kUndoneText);
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kFilterClass))
        << "the filter stays registered";
    EXPECT_EQ(readFile(codecs + L"config_default"), "the user's settings");
    EXPECT_EQ(folderContents(dataFolder() + L"\\").size(), 2u) << "more than the codecs folder and the user's settings";
    expectNothingRunsFrom(dir);
    // The usage counter the script started before writes its log there;
    // that keeps the folder.
    for (const auto& [name, copy] : folderContents(dir)) EXPECT_EQ(name, L"NelvoCount.log");
    expectNothingRegistered();
}

// A first installation cancelled at a file it cannot write: the machine is
// as it was before, files and registry, and the user's own things in the
// folder stay.
TEST_F(FaultScenarios, CancelOnAFirstInstallLeavesTheMachineAsItWas) {
    const std::wstring dir = kScratch + L"Blocked\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dir + L"libcurl.dll").c_str(), nullptr));
    ASSERT_TRUE(writeFile(dir + L"notes.txt", "the user's own"));
    const PrefixState before = capturePrefix();
    ASSERT_FALSE(before.registry.empty());

    WizardSession s(*layout, L"fault-cancel-first");
    openFolderPage(s);
    installTo(s, dir);
    EXPECT_EQ(s.answerNext(IDOK, L"not-empty-ok").caption, L"提示");
    retryThenCancel(s, L"blocked", deniedText(dir + L"libcurl.dll"));
    EXPECT_EQ(describeChanges(prefixChanges(before, capturePrefix())), "(none)");
    EXPECT_EQ(readFile(dir + L"notes.txt"), "the user's own");
}

// An update cancelled half-way on the driver-removal branch: every file of
// the previous version is back byte for byte with its attributes, a file it
// lacked is gone again, the previous uninstall entry and everything else in
// the registry is as it was, and the old driver is still installed: it is
// removed only after the extraction, where the cancel came.
TEST_F(FaultScenarios, CancelOnAnUpdateKeepsThePreviousVersion) {
    const std::wstring dir = defaultInstallFolder();
    std::map<std::wstring, FileCopy> previous;
    {
        WizardSession first(*layout, L"fault-update-first");
        previous = installPreviousVersion(first);
        ASSERT_FALSE(previous.empty());
    }
    const RegValue entry = readRegValue(HKEY_LOCAL_MACHINE,
                                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo",
                                        L"UninstallString");
    ASSERT_TRUE(entry.exists);
    const std::string toolLog = readFile(dir + L"DevconExe.log");
    const PrefixState before = capturePrefix();
    // Held open without sharing, late in the payload's order.
    UniqueFileHandle lock(CreateFileW((dir + L"Resource\\Test.wma").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);

    const ReportedVersion windows7(L"win7");
    WizardSession s(*layout, L"fault-update-cancel");
    const std::optional<WizardSession::Box> busy = updateUntilABusyBox(s);
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->seen.text, busyText(dir + L"Resource\\Test.wma"));
    EXPECT_EQ(readFile(dir + L"Nelvo.exe"), previous[L"Nelvo.exe"].bytes) << "replaced whole, in one step";
    s.answer(*busy, IDCANCEL, L"locked-cancel");
    const SeenWindow closing = closeUndoneRun(s, L"fault-update-undone");
    EXPECT_EQ(closing.text, kUndoneText) << "the old driver was removed";
    lock.reset();
    EXPECT_EQ(readFile(dir + L"DevconExe.log"), toolLog) << "the device tool ran";

    auto now = folderContents(dir);
    now.erase(L"DevconExe.log");
    EXPECT_EQ(now.size(), previous.size());
    for (const auto& [name, copy] : previous) {
        const auto it = now.find(name);
        ASSERT_NE(it, now.end()) << "gone: " << wideToUtf8(name);
        EXPECT_TRUE(it->second == copy) << "changed: " << wideToUtf8(name);
    }
    for (const auto& [name, copy] : now)
        EXPECT_TRUE(previous.count(name)) << "left behind: " << wideToUtf8(name);
    EXPECT_EQ(describeChanges(prefixChanges(before, capturePrefix())), "(none)");
    EXPECT_EQ(readRegValue(HKEY_LOCAL_MACHINE,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo", L"UninstallString")
                  .text,
              entry.text);
}

// Folder names the system refuses, typed or pasted, stay on the folder page
// with the message that asks for a complete path; the worker never starts
// (it would make the data folder first).
TEST_F(FaultScenarios, FolderNamesTheSystemRefusesStayOnTheFolderPage) {
    const std::wstring message = L"你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\";
    WizardSession s(*layout, L"fault-folder-names");
    openFolderPage(s);
    for (const wchar_t* typed : {L"C:\\.", L"C:\\..", L"C:\\NelvoE2E\\..\\..\\Windows", L"C:\\NelvoE2E\\.\\x",
                                 L"C:\\NUL", L"C:\\NelvoE2E\\com1.txt\\x", L"C:\\NelvoE2E\\Lpt9 ", L"C:\\NelvoE2E\\x.",
                                 L"C:\\NelvoE2E\\x \\y", L"C:\\NelvoE2E\\a*b"}) {
        installTo(s, typed);
        const SeenWindow box = s.answerNext(IDOK, L"refused");
        EXPECT_EQ(box.caption, L"错误") << wideToUtf8(typed);
        EXPECT_EQ(box.text, message) << wideToUtf8(typed);
    }
    // Pasted: characters the key filter keeps from the keyboard.
    for (const wchar_t* pasted : {L"C:\\NelvoE2E\\a|b", L"C:\\NelvoE2E\\a<b>?", L"C:\\NelvoE2E\\a\"b"}) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const size_t bytes = (wcslen(pasted) + 1) * sizeof(wchar_t);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
        ASSERT_TRUE(block);
        memcpy(GlobalLock(block), pasted, bytes);
        GlobalUnlock(block);
        ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, block));
        CloseClipboard();
        // Over a name that would install: a paste that fails starts the run.
        ASSERT_TRUE(s.replaceFolderText(L"C:\\NelvoE2E\\Pasted"));
        pressKey('A', VK_CONTROL);
        pressKey('V', VK_CONTROL);
        s.shot(L"pasted");
        s.click(wizard::kInstall);
        const SeenWindow box = s.answerNext(IDOK, L"refused-pasted");
        EXPECT_EQ(box.text, message) << wideToUtf8(pasted);
    }
    EXPECT_TRUE(s.process().running());
    s.click(wizard::kClose);
    EXPECT_EQ(s.answerNext(IDYES, L"close-yes").caption, L"退出安装程序");
    EXPECT_TRUE(s.waitForExit());
    EXPECT_FALSE(fileExists(dataFolder())) << "the install worker ran";
    EXPECT_FALSE(fileExists(kScratch + L"x"));
    EXPECT_FALSE(fileExists(kScratch + L"Pasted"));
    expectNothingRegistered();
}

} // namespace
} // namespace nelvo::test
