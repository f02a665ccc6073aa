// A download folder that others can write to: copies of setup.exe, the
// uninstaller and luarun.exe beside libraries and programs planted under
// system names, each of which leaves a marker when it is loaded or started
// (planted/Planted.cpp). Wine is told to prefer such native libraries, so
// that it searches for them the way Windows does: the program's own folder
// first. Nothing planted may run; only the tool the script names that the
// system does not have.
//
// setup.exe walks a whole installation through its wizard (the payload's
// tools planted in the system folder too), the uninstaller copied there
// runs for the folder and is answered Yes, and luarun starts system programs
// by bare name with the folder current.

#include "base/RegisteredProgram.h"
#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "host/RestartMarker.h"
#include "tests/support/FolderLink.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <set>
#include <string>

using namespace nelvo;
using namespace nelvo::test;

namespace {

const std::wstring kFolder = L"C:\\nelvo-planting";

std::wstring environmentVariable(const wchar_t* name) {
    wchar_t value[4096] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, 4096);
    return n && n < 4096 ? std::wstring(value, n) : std::wstring();
}

// A program that has just ended may keep its file a moment longer, so the
// removal is tried again for a few seconds.
void removeFolder(const std::wstring& folder) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        WIN32_FIND_DATAW entry;
        UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
        if (find) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
            } while (FindNextFileW(find.get(), &entry));
        }
        find.reset();
        if (RemoveDirectoryW(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
        Sleep(100);
    }
}

// The payload's tools and the registration tool, under the names the
// scripts start them by.
const wchar_t* const kToolNames[] = {L"devconexe64.exe", L"devconexe.exe", L"nelvocount.exe", L"regsvr32.exe"};

// The payload's tools, which only the installation may start.
const wchar_t* const kPayloadToolNames[] = {L"devconexe64.exe", L"devconexe.exe", L"nelvocount.exe"};

std::wstring systemFolderPath() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return system;
}

// The temporary folders: the user's, where the uninstaller's copy used to
// run, and the Windows folder's, where its private folder is made.
std::wstring userTemp() {
    wchar_t temp[MAX_PATH] = {};
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp, n ? n - 1 : 0);
}
std::wstring windowsTemp() {
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\Temp";
}

// The markers the planted files have left.
std::set<std::wstring> markers(const std::wstring& folder = kFolder) {
    std::set<std::wstring> found;
    for (const wchar_t* pattern : {L"\\*.loaded", L"\\*.started"}) {
        WIN32_FIND_DATAW entry;
        UniqueFindHandle find(FindFirstFileW((folder + pattern).c_str(), &entry));
        if (!find) continue;
        do found.insert(entry.cFileName);
        while (FindNextFileW(find.get(), &entry));
    }
    return found;
}

class Planting : public ::testing::Test {
protected:
    void SetUp() override {
        removeEverything();
        ASSERT_TRUE(CreateDirectoryW(kFolder.c_str(), nullptr));
        const std::wstring planted = outDir() + L"\\tests\\planted\\";
        const struct {
            std::wstring from, to;
        } copies[] = {
            {outDir() + L"\\setup.exe", L"setup.exe"},
            {outDir() + L"\\luarun.exe", L"luarun.exe"},
            {unixToWindows(L"" NELVO_UNINSTALLER), L"unins000.exe"},
            {planted + L"msimg32.dll", L"msimg32.dll"},
            {planted + L"uxtheme.dll", L"uxtheme.dll"},
            {planted + L"planted.exe", L"regsvr32.exe"},
            {planted + L"planted.exe", L"plantedtool.exe"},
            {planted + L"planted.exe", L"iexplore.exe"},
        };
        for (const auto& c : copies)
            ASSERT_TRUE(CopyFileW(c.from.c_str(), (kFolder + L"\\" + c.to).c_str(), FALSE)) << c.to;
        for (const std::wstring& folder : {kFolder, userTemp(), windowsTemp()})
            for (const wchar_t* name : kToolNames)
                ASSERT_TRUE(CopyFileW((planted + L"planted.exe").c_str(), (folder + L"\\" + name).c_str(), FALSE))
                    << name;
        // Not an attack (only an administrator writes there), but not the
        // installation's tools either.
        for (const wchar_t* name : kPayloadToolNames)
            ASSERT_TRUE(CopyFileW((planted + L"planted.exe").c_str(), (systemFolderPath() + L"\\" + name).c_str(),
                                  FALSE))
                << name;

        // Without the overrides of CMakeLists.txt Wine would take its own
        // libraries before any planted one, and the test could not fail.
        ASSERT_NE(environmentVariable(L"WINEDLLOVERRIDES").find(L"msimg32,uxtheme=n,b"), std::wstring::npos);
    }
    void TearDown() override { removeEverything(); }

    // The folder with what the tests put into it and beside it, and the
    // installation.
    static void removeEverything() {
        forgetInstallation();
        removeFolderLink(kFolder + L"\\linked");
        removeFolderLink(legacyRestartMarkerPath());
        clearRestartMarker();
        removeTree(L"C:\\nelvo-planting-victim");
        removeFolder(kFolder);
        for (const std::wstring& folder : {userTemp(), windowsTemp()})
            for (const wchar_t* name : kToolNames) {
                DeleteFileW((folder + L"\\" + name).c_str());
                DeleteFileW((folder + L"\\" + name + L".started").c_str());
            }
        for (const wchar_t* name : kPayloadToolNames) {
            DeleteFileW((systemFolderPath() + L"\\" + name).c_str());
            DeleteFileW((systemFolderPath() + L"\\" + name + L".started").c_str());
        }
    }

    // What the walk installed and registered goes again.
    static void forgetInstallation() {
        endProcessesUnder(defaultInstallFolder());
        removeTree(defaultInstallFolder());
        removeTree(specialFolder(CSIDL_APPDATA) + L"\\Nelvo");
        removeRegistration();
    }
};

} // namespace

TEST_F(Planting, NothingPlantedIsLoadedOrStarted) {
    // A whole installation through the wizard, started as from the folder's
    // window: the folder is the program's own and its current one. The
    // first installation takes the driver-removal branch, which starts the
    // device tool before the installation has one.
    const WizardLayout layout(kFolder + L"\\setup.exe");
    ASSERT_TRUE(layout.ok()) << layout.error();
    {
        const ReportedVersion windows7(L"win7");
        WizardSession session(layout, L"planting-setup", kFolder + L"\\setup.exe");
        const WalkResult walk = walkFreshInstall(session);
        EXPECT_TRUE(walk.ok) << walk.failure;
        EXPECT_EQ(session.process().exitCode(), 0u);
    }
    EXPECT_EQ(markers(), std::set<std::wstring>()) << "after the first installation";
    EXPECT_EQ(markers(systemFolderPath()), std::set<std::wstring>()) << "the system folder's tools";
    {
        // The update, on the driver-installation branch: the saved folder,
        // the product (started by the walk) stopped on OK.
        const ReportedVersion windows8(L"win8");
        WizardSession session(layout, L"planting-update", kFolder + L"\\setup.exe");
        ASSERT_TRUE(session.start());
        session.click(wizard::kAccept);
        EXPECT_EQ(session.answerNext(IDOK, L"running-ok").caption, L"提示");
        EXPECT_TRUE(session.watchInstall(GetTickCount())) << "the update did not finish";
        session.click(wizard::kRunProduct);
        session.click(wizard::kFinish);
        EXPECT_TRUE(session.waitForExit());
    }
    EXPECT_EQ(markers(), std::set<std::wstring>()) << "after the update";
    EXPECT_EQ(markers(systemFolderPath()), std::set<std::wstring>()) << "the system folder's tools, after the update";

    // The installed uninstaller removes the product through its copy.
    RunOptions removal;
    removal.followChildren = true;
    removal.chooseButton = [](const SeenWindow& box) { return box.text.find(L"您确定") == 0 ? IDYES : IDOK; };
    const RunResult removed = runAndAnswer(defaultInstallFolder() + L"unins000.exe", removal);
    ASSERT_TRUE(removed.started);
    EXPECT_TRUE(removed.finished);
    EXPECT_FALSE(fileExists(defaultInstallFolder() + L"Nelvo.exe")) << "the copy did not remove the product";
    for (const std::wstring& folder : {kFolder, userTemp(), windowsTemp()})
        EXPECT_EQ(markers(folder), std::set<std::wstring>()) << "after the uninstaller's copy, in " << wideToUtf8(folder);
    forgetInstallation();

    // The signed uninstaller copied here, beside an empty Nelvo.exe and the
    // planted device tools, answered Yes to anything: only the folder the
    // machine's uninstall entry names is the installation's, so it says so
    // and starts nothing. Its second stage started by hand for this folder
    // neither.
    ASSERT_TRUE(writeFile(kFolder + L"\\Nelvo.exe", ""));
    RunOptions uninstaller;
    uninstaller.folder = kFolder;
    uninstaller.followChildren = true;
    uninstaller.chooseButton = [](const SeenWindow& box) { return box.text.find(L"您确定") == 0 ? IDYES : IDOK; };
    for (const std::wstring& arguments : {std::wstring(), L"/remove 0 0 0 0 0 0 \"" + kFolder + L"\""}) {
        uninstaller.arguments = arguments;
        const RunResult u = runAndAnswer(kFolder + L"\\unins000.exe", uninstaller);
        EXPECT_TRUE(u.started) << "the first run removed it";
        EXPECT_TRUE(u.finished);
        EXPECT_EQ(u.windows.size(), 1u) << wideToUtf8(arguments);
        EXPECT_TRUE(u.sawCaption(L"提示"));
        if (!u.windows.empty()) {
            EXPECT_EQ(u.windows[0].text, L"在文件夹 " + kFolder + L"\\ 中没有找到 Nelvo 的安装，无法卸载。");
        }
    }
    EXPECT_EQ(markers(), std::set<std::wstring>()) << "after unins000.exe";
    EXPECT_TRUE(fileExists(kFolder + L"\\Nelvo.exe"));

    // Links an elevated delete, move, copy or write must not pass: a folder
    // link beside the tools, and a link to a file where earlier versions kept
    // the restart marker.
    const std::wstring victim = L"C:\\nelvo-planting-victim";
    CreateDirectoryW(victim.c_str(), nullptr);
    CreateDirectoryW((victim + L"\\inner").c_str(), nullptr);
    ASSERT_TRUE(writeFile(victim + L"\\victim.txt", "victim"));
    ASSERT_TRUE(makeFolderLink(kFolder + L"\\linked", victim));
    ASSERT_TRUE(makeFolderLink(legacyRestartMarkerPath(), victim + L"\\victim.txt"));

    RunOptions script;
    script.folder = kFolder;
    const std::wstring source = unixToWindows(L"" NELVO_SOURCE_DIR);
    script.arguments = L"\"" + source + L"\\tests\\host\\data\\planting.lua\" \"" + kFolder + L"\" \"" + source +
                       L"\\tests\\script\\lua\\testlib.lua\"";
    const RunResult s = runAndAnswer(kFolder + L"\\luarun.exe", script);
    ASSERT_TRUE(s.started);
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.exitCode, 0u) << "the scenario script failed: see its output above";
    EXPECT_EQ(markers(), std::set<std::wstring>({L"plantedtool.exe.started"})) << "after luarun.exe";
    EXPECT_EQ(readFile(victim + L"\\victim.txt"), "victim");
    EXPECT_TRUE(fileExists(victim + L"\\inner"));
    EXPECT_FALSE(fileExists(victim + L"\\made")) << "a folder was made through the link";
}

// The link label's browser: the registered program, never a file of that
// name in the folder the program runs in.
TEST_F(Planting, BrowserIsTheRegisteredProgram) {
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(kFolder.c_str()));
    const std::wstring browser = registeredProgramPath(L"IEXPLORE.EXE");
    const std::wstring unknown = registeredProgramPath(L"plantedtool.exe");
    SetCurrentDirectoryW(previous);

    ASSERT_GT(browser.size(), 3u);
    EXPECT_EQ(browser.substr(1, 2), L":\\") << browser;
    EXPECT_EQ(CompareStringOrdinal(browser.c_str() + browser.size() - 12, 12, L"iexplore.exe", 12, TRUE), CSTR_EQUAL)
        << browser;
    EXPECT_NE(CompareStringOrdinal(browser.c_str(), int(kFolder.size()), kFolder.c_str(), int(kFolder.size()), TRUE),
              CSTR_EQUAL)
        << browser;
    EXPECT_EQ(unknown, L"");
}
