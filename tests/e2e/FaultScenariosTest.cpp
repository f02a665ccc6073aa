// Fault scenarios end to end: setup.exe, or a copy of it with one resource
// changed, driven as a person drives it on a machine that fails under it: a
// drive that fills up, a folder that cannot be written, a device tool that
// hangs, a quit message, a second copy, an install script that fails part
// way, a damaged payload member, a damaged payload, a file held open, folder names the system
// refuses. Each must end with a clear message, report nothing that failed as
// done, leave no cut file and no process behind, take back what a run that
// did not succeed changed, and exit with 0. The drives N: (4 MB) and O:
// (read-only) come from faultdrives.sh.

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

// Retry on the busy box for `file` (the same box comes again), then Cancel;
// the worker takes the run back and the wizard closes with its box.
void retryThenCancel(WizardSession& s, const std::wstring& name, const std::wstring& file) {
    SeenWindow box = s.answerNext(IDRETRY, name + L"-retry", 60000);
    EXPECT_EQ(box.caption, kBusyCaption);
    EXPECT_EQ(box.text, busyText(file));
    box = s.answerNext(IDCANCEL, name + L"-cancel", 30000);
    EXPECT_EQ(box.caption, kBusyCaption);
    EXPECT_EQ(box.text, busyText(file)) << "Retry tries the same file again";
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
    // While the box waits: every file there is a whole member; the one that
    // did not fit has no file at all, and no temporary file is left.
    std::string problem;
    EXPECT_GT(expectPresentFilesWhole(setupProgram(), dir, file, &problem), 0u);
    EXPECT_FALSE(fileExists(file)) << "a cut file at the member's name";
    for (const auto& [name, copy] : folderContents(dir))
        EXPECT_FALSE(copy.attributes & FILE_ATTRIBUTE_HIDDEN) << "left behind: " << wideToUtf8(name);
    s.answer(*first, IDRETRY, L"full-retry");
    SeenWindow box = s.answerNext(IDCANCEL, L"full-cancel", 30000);
    EXPECT_EQ(box.text, busyText(file)) << "Retry tries the same file again";
    EXPECT_EQ(closeUndoneRun(s, L"fault-drive-full-undone").text, kUndoneText);
    expectNothingRunsFrom(dir);
    expectTakenBack(dir, false);
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
        EXPECT_EQ(busy->seen.text, busyText(blocked + L"libcurl.dll"));
        s.shot(L"busy-box");
        ASSERT_TRUE(PostThreadMessageW(GetWindowThreadProcessId(s.window(), nullptr), WM_QUIT, 0, 0));
        EXPECT_TRUE(within(5000, [&] { return !IsWindowVisible(s.window()); })) << "the window stays after WM_QUIT";
        EXPECT_TRUE(s.waitForExit(60000)) << "the worker went on, or waits for an answer";
        EXPECT_EQ(s.process().exitCode(), 0u);
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
    EXPECT_EQ(s.process().exitCode(), 0u);
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
    EXPECT_EQ(box->seen.text, busyText(dir + L"nelvo.sys"));
    EXPECT_TRUE(fileExists(dir + L"nelvo.inf"));
    EXPECT_FALSE(fileExists(dir + L"nelvo.sys")) << "what decoded of the member was written";
    retryThenCancel(s, L"damaged", dir + L"nelvo.sys");
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
        EXPECT_EQ(s.process().exitCode(), 0u);
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
    retryThenCancel(s, L"blocked", dir + L"libcurl.dll");
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
