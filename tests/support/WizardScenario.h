#pragma once
// The common ground of the end-to-end walks: a clean machine before and
// after each, the steps to the folder page and the install button, the
// Windows version the prefix reports, and the small file and polling helpers
// the checks use. Built on WizardDriver (the session) and InstalledProduct
// (what an installation leaves).

#include "tests/support/InstalledProduct.h"
#include "tests/support/PrefixState.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace nelvo::test {

// The scratch folder of the walks; cleanMachine() removes it.
inline const std::wstring kScratch = L"C:\\NelvoE2E\\";

bool fileExists(const std::wstring& path);
std::string readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& text);

// Polls until the condition holds; false when the time ran out.
template <typename F>
bool within(DWORD timeoutMs, F condition) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(100);
    }
    return true;
}

// Where the setup program keeps the journal of a run while it installs.
std::wstring undoJournalFile();

// A machine without the product: no installation (in the proposed folder,
// the scratch folder or C:\QuentNelvo), no data folder, no registration, no
// pending restart, no reported Windows version.
void cleanMachine();

// A wizard started and on its folder page (a fatal test failure if it does
// not show).
void openFolderPage(WizardSession& s);
// The install button pressed with `text` in the folder box.
void installTo(WizardSession& s, const std::wstring& text);

// An installation into the new folder `dir` (its path, with the trailing
// separator, is typed without it) whose device tool answers with `outcome`,
// a line of devcon-outcome.txt: the folder page, the install button (its
// tick count to `clickedAt` when given), the question about the folder not
// being empty answered OK. Fatal failures when a step fails.
void installWithDeviceOutcome(WizardSession& s, const std::wstring& dir, const std::string& outcome,
                              DWORD* clickedAt = nullptr);

// An earlier version in the proposed folder: a first installation through
// the wizard (the product it starts ended again), then other content in
// three files (one of them read-only), a member missing and a file of the
// user's. Returns what the folder holds, but the device tool's log.
std::map<std::wstring, FileCopy> installPreviousVersion(WizardSession& first);

// An update over it as a user starts one (the licence accepted, the
// programs using the camera ended), up to the box about a file it cannot
// write; nothing when no such box came.
std::optional<WizardSession::Box> updateUntilABusyBox(WizardSession& s);

// The first words of the box that closes a run the worker took back.
inline constexpr wchar_t kUndoneHead[] = L"安装未完成";
// The whole text of that box when everything came back.
inline constexpr wchar_t kUndoneText[] = L"安装未完成，本次安装对电脑所做的更改已全部撤销。";

// The box that closes a stopped or failed installation once the worker has
// taken it back: the wizard photographed behind it as `what`, the box
// answered OK, then the program's end. Returns the box (its caption is
// checked: "提示").
// The exit code is checked: `exitCode`, or when 0 either of a cancelled or a
// failed run.
SeenWindow closeUndoneRun(WizardSession& s, const std::wstring& what, DWORD timeoutMs = 60000, DWORD exitCode = 0);

// How setup.exe ends (besides 0): cancelled by the user, failed, another
// copy running, a restart pending, a command line it does not understand,
// done with a restart needed.
inline constexpr DWORD kExitCancelled = 1602;
inline constexpr DWORD kExitFailed = 1603;
inline constexpr DWORD kExitAnotherRunning = 1618;
inline constexpr DWORD kExitRestartPending = 350;
inline constexpr DWORD kExitBadCommandLine = 1639;
inline constexpr DWORD kExitRestartNeeded = 3010;

// The install path the wizard saves for the next setup.
RegValue savedInstallPath();
// No saved install path, uninstall entry, URL protocol or desktop shortcut.
void expectNothingRegistered();

// The values of the uninstall entry beyond its name and command, for an
// installation in `dir` by `setupExe`: the install folder, the payload's
// size in KB, today's date (or `earlierDay`, the date the walk began, when
// it ran over midnight) and the two flags that hide modify and repair.
void expectUninstallEntryDetails(const std::wstring& dir, const std::wstring& setupExe, const std::wstring& earlierDay);
// Today's local date as the uninstall entry writes it: yyyymmdd.
std::wstring localDay();

// The Windows version that Wine reports to setup.exe while it lives: "win7"
// takes the install script's driver-removal branch, "win8" its
// driver-installation branch.
class ReportedVersion {
public:
    explicit ReportedVersion(const wchar_t* version);
    ~ReportedVersion();
    ReportedVersion(const ReportedVersion&) = delete;
    ReportedVersion& operator=(const ReportedVersion&) = delete;
};

// The fixture of a walk: the shipped layout read once for the suite, and a
// clean machine with the scratch folder before each case and after it.
class WizardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static WizardLayout* layout;
};

} // namespace nelvo::test
