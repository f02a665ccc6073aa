// The undo of runs that do not end well, end to end: a run killed during an
// update and taken back when setup starts again (a file held open then is
// put back at the restart, and named), the progress page's cancel, and a
// registration that takes its time while the window keeps answering and
// the finish page waits for it.

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "host/RestartMarker.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/PrefixState.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace nelvo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr int32_t kProgressCancel = 4004;
const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The hidden files the journal keeps beside what it replaced.
std::vector<std::wstring> keptFiles(const std::wstring& dir) {
    std::vector<std::wstring> kept;
    for (const auto& [name, copy] : folderContents(dir))
        if ((copy.attributes & FILE_ATTRIBUTE_HIDDEN) && name.find(L"nlu") != std::wstring::npos) kept.push_back(name);
    return kept;
}

// The renames waiting for the restart, as source/target pairs ("" target:
// a delete).
std::vector<std::pair<std::wstring, std::wstring>> pendingRenames() {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return pairs;
    DWORD type = 0, size = 0;
    std::wstring data;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size / sizeof(wchar_t) + 1);
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size);
    }
    RegCloseKey(key);
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < data.size();) {
        const size_t end = data.find(L'\0', at);
        parts.push_back(data.substr(at, end - at));
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
    // Names come as "\??\C:\...", targets of a rename start with "!".
    auto plain = [](std::wstring name) {
        if (name.starts_with(L"!")) name.erase(0, 1);
        if (name.starts_with(L"\\??\\")) name.erase(0, 4);
        return name;
    };
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2)
        pairs.emplace_back(plain(parts[i]), plain(parts[i + 1]));
    return pairs;
}

class UndoScenarios : public WizardTest {
protected:
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
        WizardTest::TearDown();
    }
};

// Killed at the busy box of an update, with files replaced and their
// previous versions renamed aside: the next setup.exe takes the run back
// before anything else and says so. A file held open meanwhile is put back
// at the restart: the notice names it and asks for the restart; once the
// restart's renames are done, the folder is the previous version's, byte for
// byte, with no kept file left, and the registry is as it was.
TEST_F(UndoScenarios, KilledUpdateIsTakenBackWhenSetupStartsAgain) {
    const std::wstring dir = defaultInstallFolder();
    std::map<std::wstring, FileCopy> previous;
    {
        WizardSession first(*layout, L"undo-killed-first");
        previous = installPreviousVersion(first);
        ASSERT_FALSE(previous.empty());
    }
    const PrefixState before = capturePrefix();
    ASSERT_FALSE(before.registry.empty());
    {
        UniqueFileHandle lock(CreateFileW((dir + L"Resource\\Test.wma").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        const ReportedVersion windows7(L"win7");
        WizardSession s(*layout, L"undo-killed-update");
        ASSERT_TRUE(updateUntilABusyBox(s));
        EXPECT_FALSE(keptFiles(dir).empty()) << "nothing was replaced before the busy box";
        EXPECT_TRUE(fileExists(undoJournalFile()));
        s.process().kill();
    }
    EXPECT_NE(folderContents(dir), previous) << "the kill left the previous version: nothing to take back";
    // The new program held open by someone while setup starts again.
    UniqueFileHandle held(CreateFileW((dir + L"Nelvo.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    RunOptions again;
    again.timeoutMs = 60000;
    again.screenshotPrefix = L"undo-killed-again";
    closeWizardsOnSight(again);
    const RunResult result = runAndAnswer(setupProgram(), again);
    EXPECT_TRUE(result.finished);
    ASSERT_GE(result.windows.size(), 2u);
    EXPECT_EQ(result.windows[0].caption, L"提示");
    EXPECT_THAT(result.windows[0].text, StartsWith(L"上次安装没有完成，它对电脑所做的更改未能全部撤销。"));
    EXPECT_THAT(result.windows[0].text, HasSubstr(L"以下文件将在重启电脑后恢复：\r\n" + dir + L"Nelvo.exe"));
    EXPECT_THAT(result.windows[0].text, HasSubstr(L"请重启电脑以完成撤销。"));
    EXPECT_EQ(result.windows[1].text, L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
    EXPECT_FALSE(fileExists(undoJournalFile())) << "the journal stays after it was finished";

    // The restart: the file is free again, its rename is done and the
    // marker of the pending restart is no longer current.
    held.reset();
    EXPECT_TRUE(restartMarkerPresent()) << "no restart marker";
    clearRestartMarker();
    const auto renames = pendingRenames();
    size_t restored = 0;
    for (const auto& [source, target] : renames) {
        if (_wcsicmp(target.c_str(), (dir + L"Nelvo.exe").c_str()) != 0) continue;
        EXPECT_THAT(source, StartsWith(dir + L"nlu"));
        EXPECT_TRUE(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
        ++restored;
    }
    EXPECT_EQ(restored, 1u) << "Nelvo.exe is not put back at the restart";
    auto now = folderContents(dir);
    now.erase(L"DevconExe.log");
    for (const auto& [name, copy] : previous) {
        const auto it = now.find(name);
        ASSERT_NE(it, now.end()) << "gone: " << wideToUtf8(name);
        EXPECT_TRUE(it->second == copy) << "changed: " << wideToUtf8(name);
    }
    for (const auto& [name, copy] : now) EXPECT_TRUE(previous.count(name)) << "left behind: " << wideToUtf8(name);
    EXPECT_EQ(describeChanges(prefixChanges(before, capturePrefix())), "(none)");
}

// The progress page's cancel: No lets the installation go on; Yes while the
// device tool installs the driver waits for the tool (it cannot be stopped)
// and then takes the run back. The tool removes the driver with its answer
// 1 (done once the machine restarts): the undo is complete and asks for
// the restart. The machine is as it was before, files and registry, but for
// the folder the test made with the tool's outcome and the tool's log in
// it.
TEST_F(UndoScenarios, CancelOnTheProgressPage) {
    const ReportedVersion windows8(L"win8");
    const std::wstring dir = kScratch + L"Cancelled\\";
    const PrefixState before = capturePrefix();
    ASSERT_FALSE(before.registry.empty());
    WizardSession s(*layout, L"undo-progress-cancel");
    installWithDeviceOutcome(s, dir, "install 0 8\nremove 1\n");
    if (HasFatalFailure()) return;

    s.click(kProgressCancel);
    SeenWindow question = s.answerNext(IDNO, L"cancel-no");
    EXPECT_EQ(question.caption, L"提示");
    EXPECT_EQ(question.text, L"确定要取消安装吗？");
    ASSERT_TRUE(within(120000, [&] { return processRunningFrom(dir + L"DevconExe.exe") ||
                                            processRunningFrom(dir + L"DevconExe64.exe"); }))
        << "No stopped the installation";
    s.click(kProgressCancel);
    question = s.answerNext(IDYES, L"cancel-yes");
    EXPECT_EQ(question.text, L"确定要取消安装吗？");
    s.shot(L"cancel-waits");
    EXPECT_TRUE(processRunningFrom(dir + L"DevconExe.exe") || processRunningFrom(dir + L"DevconExe64.exe"))
        << "the device tool was not waited for";
    const SeenWindow closing = s.answerNext(IDOK, L"undone", 60000);
    EXPECT_EQ(closing.text, kUndoneText);
    const SeenWindow restart = s.answerNext(IDCANCEL, L"restart-question");
    EXPECT_EQ(restart.text, L"撤销安装需要重启电脑才能完成，是否立即重启?");
    EXPECT_TRUE(s.waitForExit());
    EXPECT_TRUE(restartMarkerPresent()) << "the restart is not marked";
    clearRestartMarker();

    const std::string log = readFile(dir + L"DevconExe.log");
    ASSERT_THAT(log, HasSubstr("install"));
    EXPECT_THAT(log.substr(log.find("install")), HasSubstr("remove")) << "the driver installed stays";
    std::vector<std::wstring> changes = prefixChanges(before, capturePrefix());
    for (const wchar_t* made : {L"", L"devcon-outcome.txt", L"DevconExe.log"})
        std::erase(changes, L"+ " + dir + made);
    EXPECT_EQ(describeChanges(changes), "(none)");
}

// The crash-dump library takes 10 s to register. The worker registers it
// before the finish page, so the page shows only once the product is
// registered, and the window answers within 200 ms all the time, up to the
// end of the program after Finish.
TEST_F(UndoScenarios, SlowRegistrationKeepsTheWindowAnswering) {
    const std::wstring dir = kScratch + L"Slow\\";
    WizardSession s(*layout, L"undo-slow-registration");
    DWORD clicked = 0;
    installWithDeviceOutcome(s, dir, "", &clicked);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(writeFile(dir + L"register-delay.txt", "10"));

    size_t unanswered = 0, polls = 0;
    auto answering = [&] {
        DWORD_PTR result = 0;
        ++polls;
        if (!SendMessageTimeoutW(s.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result)) ++unanswered;
    };
    const bool finished = within(180000, [&] {
        answering();
        return s.progressFill() < 0;
    });
    ASSERT_TRUE(finished) << "no finish page";
    EXPECT_GE(GetTickCount() - clicked, 10000u) << "the registration did not take its time";
    s.shot(L"finish-page");
    const RegValue dumper =
        readRegValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kDumperClass + L"\\InprocServer32", L"");
    EXPECT_EQ(dumper.text, dir + L"nelvodumper.dll") << "the finish page came before the registration";
    EXPECT_TRUE(regKeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo"));
    EXPECT_FALSE(fileExists(undoJournalFile())) << "the run is not committed";

    s.click(wizard::kRunProduct);  // no product start
    s.click(wizard::kFinish);
    EXPECT_TRUE(within(20000, [&] {
        if (s.process().running() && IsWindow(s.window())) answering();
        return !s.process().running();
    })) << "the program did not end after Finish";
    EXPECT_EQ(unanswered, 0u) << "of " << polls << " polls";
}

} // namespace
} // namespace nelvo::test
