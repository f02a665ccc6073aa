// The setup program end to end: setup.exe started as a person starts it, its
// window found by its title, clicks where the shipped layout puts the
// controls, typed keys and message boxes answered by their buttons; then
// what it installed and registered checked from outside the program. Each
// case is one walk through the wizard; every page and box is photographed
// (out/screenshots/e2e-*.png).

#include "base/TextConvert.h"
#include "host/RestartMarker.h"
#include "tests/support/FolderLink.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace nelvo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

const wchar_t kQuitCaption[] = L"退出安装程序";
const wchar_t kQuitText[] =
    L"安装程序未完成安装。如果您现在退出，您的程序将不能安装。\n\n您可以以后再运行安装程序完成安装。\n\n退出安装程序吗？";

std::wstring lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

// A drive letter with nothing behind it.
std::wstring missingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter)
        if (!(drives & (1u << (letter - L'A')))) return std::wstring(1, letter);
    return L"";
}

void expectString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    const RegValue v = readRegValue(root, key, name);
    EXPECT_TRUE(v.exists) << key.c_str() << " / " << name.c_str();
    EXPECT_EQ(v.type, DWORD(REG_SZ)) << key.c_str() << " / " << name.c_str();
    EXPECT_EQ(v.text, value) << key.c_str() << " / " << name.c_str();
}

void expectNumber(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    const RegValue v = readRegValue(root, key, name);
    EXPECT_TRUE(v.exists) << key.c_str() << " / " << name.c_str();
    EXPECT_EQ(v.type, DWORD(REG_DWORD)) << key.c_str() << " / " << name.c_str();
    EXPECT_EQ(v.number, value) << key.c_str() << " / " << name.c_str();
}

// The in-process server registered for a class, in the 32-bit view.
std::wstring classServer(const wchar_t* clsid) {
    return readRegValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32", L"").text;
}

// Everything RegisterNelvo writes, for an installation in `dir`.
void expectRegistration(const std::wstring& dir, const std::wstring& source = L"web") {
    const std::wstring program = dir + L"Nelvo.exe";
    const std::wstring command = L"\"" + program + L"\" %1";
    expectString(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"QuentNelvo Daemon",
                 specialFolder(CSIDL_APPDATA) + L"\\Nelvo\\codecs\\nelvomon.exe");
    const std::wstring settings = L"Software\\QuentNelvo";
    expectString(HKEY_CURRENT_USER, settings, L"InstallPath", dir);
    expectString(HKEY_CURRENT_USER, settings, L"Run", program);
    expectNumber(HKEY_CURRENT_USER, settings, L"Skin", 1);
    expectString(HKEY_CURRENT_USER, settings, L"Source", source);
    expectString(HKEY_CURRENT_USER, settings, L"Version", L"2.0.0.69");
    const std::wstring policy =
        L"SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{CACBA33C-A5E5-43CD-9287-8C075425FC26}";
    expectString(HKEY_LOCAL_MACHINE, policy, L"AppName", L"Nelvo.exe");
    expectString(HKEY_LOCAL_MACHINE, policy, L"AppPath", dir);
    expectNumber(HKEY_LOCAL_MACHINE, policy, L"Policy", 524291);
    expectString(HKEY_CLASSES_ROOT, L"zhibo", L"", L"URL:Quent直播专用链");
    expectString(HKEY_CLASSES_ROOT, L"zhibo", L"URL Protocol", program);
    expectString(HKEY_CLASSES_ROOT, L"zhibo\\shell\\open\\command", L"", command);
    expectString(HKEY_CLASSES_ROOT, L".flv", L"", L"qxflv");
    expectString(HKEY_CLASSES_ROOT, L"qxflv\\shell\\open\\command", L"", command);
    expectString(HKEY_CLASSES_ROOT, L".m4a", L"", L"qxm4a");
    expectString(HKEY_CLASSES_ROOT, L"qxm4a\\shell\\open\\command", L"", command);
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo";
    // Quoted: unquoted, a folder with spaces would let the system try
    // "C:\Program.exe" first.
    expectString(HKEY_LOCAL_MACHINE, uninstall, L"DisplayIcon", L"\"" + program + L"\"");
    expectString(HKEY_LOCAL_MACHINE, uninstall, L"DisplayName", L"Nelvo");
    expectString(HKEY_LOCAL_MACHINE, uninstall, L"DisplayVersion", L"2.0.0.69");
    expectString(HKEY_LOCAL_MACHINE, uninstall, L"Publisher", L"Quent Technology Co., Ltd.");
    expectString(HKEY_LOCAL_MACHINE, uninstall, L"UninstallString", L"\"" + dir + L"unins000.exe\"");
    expectString(HKEY_LOCAL_MACHINE, uninstall, L"URLInfoAbout", L"https://www.quent.example/nelvo");

    const std::wstring menu = specialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Nelvo\\";
    EXPECT_EQ(lower(shortcutTarget(menu + L"Nelvo.lnk")), lower(program));
    EXPECT_EQ(lower(shortcutTarget(menu + L"卸载 Nelvo.lnk")), lower(dir + L"unins000.exe"));
    EXPECT_EQ(lower(shortcutTarget(specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Nelvo.lnk")), lower(program));
}

void setString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD((value.size() + 1) * 2));
    RegCloseKey(k);
}

void setSavedInstallPath(const std::wstring& path) {
    setString(HKEY_CURRENT_USER, L"Software\\QuentNelvo", L"InstallPath", path);
}

// The machine-wide uninstall entry of an earlier installation.
void setUninstallEntry(const std::wstring& uninstaller) {
    setString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo",
              L"UninstallString", uninstaller);
}

// Another setup.exe started now shows only the "提示" box with `text`, and
// ends when it is answered.
void expectRefusedWith(const wchar_t* screenshotPrefix, const std::wstring& text) {
    RunOptions o;
    o.timeoutMs = 20000;
    o.screenshotPrefix = screenshotPrefix;
    const RunResult run = runAndAnswer(setupProgram(), o);
    EXPECT_TRUE(run.finished);
    ASSERT_EQ(run.windows.size(), 1u);
    EXPECT_EQ(run.windows[0].caption, L"提示");
    EXPECT_EQ(run.windows[0].text, text);
}

class WizardEndToEnd : public WizardTest {};

TEST_F(WizardEndToEnd, FreshInstallWithTheProposedFolder) {
    const ReportedVersion windows7(L"win7");
    WizardSession s(*layout, L"e2e-fresh");
    const std::wstring day = localDay();
    const WalkResult walk = walkFreshInstall(s);
    ASSERT_TRUE(walk.ok) << walk.failure;
    EXPECT_EQ(s.process().exitCode(), 0u);
    std::printf("start to painted window: %lu ms; install click to finish page: %lu ms\n", walk.paintedMs,
                walk.installMs);

    // Centred 50 pixels above the screen's middle.
    const RECT r = s.startRect();
    const SIZE size = layout->windowSize();
    EXPECT_EQ(r.right - r.left, size.cx);
    EXPECT_EQ(r.bottom - r.top, size.cy);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - size.cy - 100) / 2);

    const std::wstring dir = defaultInstallFolder();
    EXPECT_EQ(payloadMembers(setupProgram()).size(), 35u);
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());
    expectRegistration(dir);
    expectUninstallEntryDetails(dir, setupProgram(), day);
    // Before Windows 8: the camera filter is registered and the device tool,
    // not there yet when the old driver would be removed, never ran.
    EXPECT_EQ(lower(classServer(kFilterClass)), lower(dir + L"Nelvo.ax"));
    EXPECT_FALSE(fileExists(dir + L"DevconExe.log"));
    // The crash-dump library stays registered.
    EXPECT_EQ(lower(classServer(kDumperClass)), lower(dir + L"nelvodumper.dll"));
    // The usage counter was told about the installation.
    EXPECT_THAT(readFile(dir + L"NelvoCount.log"), HasSubstr("app install 2.0.0.69"));
    // "Run Nelvo" was left checked: the product runs from the install folder.
    EXPECT_TRUE(within(15000, [&] { return processRunningFrom(dir + L"Nelvo.exe"); }));
}

TEST_F(WizardEndToEnd, QuitQuestionsFolderChecksAndASecondCopy) {
    {
        WizardSession s(*layout, L"e2e-quit");
        ASSERT_TRUE(s.start());
        s.shot(L"licence-page");
        s.click(wizard::kMinimise);
        EXPECT_TRUE(within(5000, [&] { return IsIconic(s.window()) != FALSE; })) << "the minimise button";
        ShowWindow(s.window(), SW_RESTORE);
        Sleep(500);
        // No keeps the wizard, on both pages and from both buttons.
        s.click(wizard::kLicenceCancel);
        SeenWindow box = s.answerNext(IDNO, L"licence-cancel-no");
        EXPECT_EQ(box.caption, kQuitCaption);
        EXPECT_EQ(box.text, kQuitText);
        s.click(wizard::kClose);
        EXPECT_EQ(s.answerNext(IDNO, L"licence-close-no").text, kQuitText);

        // A second copy is refused while this one runs.
        expectRefusedWith(L"e2e-quit-second-copy", L"检测到Quent安装或卸载程序正在运行，请结束后重试。");

        s.click(wizard::kAccept);
        ASSERT_TRUE(s.waitUntilHidden(wizard::kLicenceText));
        s.shot(L"folder-page");
        s.click(wizard::kFolderCancel);
        EXPECT_EQ(s.answerNext(IDNO, L"folder-cancel-no").text, kQuitText);
        s.click(wizard::kClose);
        EXPECT_EQ(s.answerNext(IDNO, L"folder-close-no").text, kQuitText);

        // Each folder check with its own message; the wizard stays.
        const std::wstring drive = missingDrive();
        ASSERT_FALSE(drive.empty());
        struct Check {
            std::wstring typed, what, text;
        };
        const Check checks[] = {
            {L"", L"empty", L"安装路径不能为空"},
            {L"C:", L"no-folder", L"你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\"},
            {L"NelvoE2E", L"no-drive", L"你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\"},
            {drive + L":\\x", L"missing-drive", L"输入的盘符无效"},
            {L"C:\\", L"drive-root", L"不能安装到盘符根路径"},
            {L"C:/", L"drive-root-slash", L"不能安装到盘符根路径"},
        };
        for (const Check& c : checks) {
            installTo(s, c.typed);
            box = s.answerNext(IDOK, L"check-" + c.what);
            EXPECT_EQ(box.caption, L"错误") << c.what.c_str();
            EXPECT_EQ(box.text, c.text) << c.what.c_str();
        }
        EXPECT_TRUE(s.process().running());

        s.click(wizard::kClose);
        EXPECT_EQ(s.answerNext(IDYES, L"folder-close-yes").caption, kQuitCaption);
        EXPECT_TRUE(s.waitForExit());
        EXPECT_EQ(s.process().exitCode(), kExitCancelled);
    }
    // Yes on the other ways out ends the wizard as well.
    struct Exit {
        const wchar_t* name;
        bool folderPage;
        int32_t button;
    };
    for (const Exit& e : {Exit{L"e2e-quit-licence-cancel", false, wizard::kLicenceCancel},
                          Exit{L"e2e-quit-licence-close", false, wizard::kClose},
                          Exit{L"e2e-quit-folder-cancel", true, wizard::kFolderCancel}}) {
        WizardSession s(*layout, e.name);
        ASSERT_TRUE(s.start());
        if (e.folderPage) {
            s.click(wizard::kAccept);
            ASSERT_TRUE(s.waitUntilHidden(wizard::kLicenceText));
        }
        s.click(e.button);
        EXPECT_EQ(s.answerNext(IDYES, L"yes").text, kQuitText) << e.name;
        EXPECT_TRUE(s.waitForExit()) << e.name;
    }
    expectNothingRegistered();
    EXPECT_FALSE(fileExists(defaultInstallFolder()));
}

TEST_F(WizardEndToEnd, KeyFilterAndDoubledSeparators) {
    WizardSession s(*layout, L"e2e-keys");
    openFolderPage(s);
    // A second ":" and | " ' < > ? never reach the box; "//" counts as one
    // separator; "]]" reaches the install script unharmed.
    ASSERT_TRUE(s.replaceFolderText(L"c://NelvoE2E//Ke:y|\"'<>?s]]//"));
    s.shot(L"typed");
    const std::wstring dir = L"c:\\NelvoE2E\\Keys]]\\";
    ASSERT_TRUE(s.watchInstall(s.click(wizard::kInstall)));
    s.click(wizard::kRunProduct);  // unchecked: the product is not started
    s.click(wizard::kFinish);
    ASSERT_TRUE(s.waitForExit());
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());
    expectString(HKEY_CURRENT_USER, L"Software\\QuentNelvo", L"InstallPath", dir);
    Sleep(1000);
    EXPECT_FALSE(processRunningFrom(dir + L"Nelvo.exe"));
}

// A folder that holds a file, so that the install button asks about it and
// its question shows the path the wizard took.
void fillFolder(const std::wstring& dir) {
    CreateDirectoryW(dir.c_str(), nullptr);
    writeFile(dir + L"keep.txt", "x");
}

TEST_F(WizardEndToEnd, BrowseForADriveRootAndAFolder) {
    fillFolder(L"C:\\QuentNelvo\\");
    fillFolder(kScratch + L"QuentNelvo\\");
    WizardSession s(*layout, L"e2e-browse");
    openFolderPage(s);
    struct Pick {
        const wchar_t* what;
        std::vector<std::wstring> keys;  // typed in the folder tree, Right expands
        std::wstring installDir;
    };
    const Pick picks[] = {
        {L"drive-root", {L"My", L"->", L"down"}, L"C:\\QuentNelvo\\"},
        {L"folder", {L"My", L"->", L"down", L"->", L"NelvoE2E"}, kScratch + L"QuentNelvo\\"},
    };
    for (const Pick& p : picks) {
        s.click(wizard::kBrowse);
        const std::optional<WizardSession::Box> dialog = s.waitForMessageBox();
        ASSERT_TRUE(dialog) << "no folder dialog";
        Sleep(500);
        for (const std::wstring& k : p.keys) {
            if (k == L"->")
                pressKey(VK_RIGHT);
            else if (k == L"down")
                pressKey(VK_DOWN);
            else
                typeText(k);
            Sleep(400);
        }
        s.answer(*dialog, IDOK, std::wstring(L"dialog-") + p.what);
        s.shot(std::wstring(L"picked-") + p.what);
        s.click(wizard::kInstall);
        const SeenWindow question = s.answerNext(IDCANCEL, std::wstring(L"question-") + p.what);
        EXPECT_EQ(question.text, L"文件夹:\r\n\r\n" + p.installDir + L"\r\n\r\n不为空。您一定要安装到该文件夹中么?")
            << p.what;
    }    s.click(wizard::kClose);
    s.answerNext(IDYES, L"close-yes");
    EXPECT_TRUE(s.waitForExit());
}

TEST_F(WizardEndToEnd, NonEmptyFolderAndALockedFile) {
    const std::wstring dir = kScratch + L"Locked\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    // Held open without sharing, as a running program holds its file.
    UniqueFileHandle lock(CreateFileW((dir + L"Nelvo.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(lock);

    WizardSession s(*layout, L"e2e-locked");
    openFolderPage(s);
    const std::wstring question = L"文件夹:\r\n\r\n" + dir + L"\r\n\r\n不为空。您一定要安装到该文件夹中么?";
    installTo(s, L"C:\\NelvoE2E\\Locked");
    SeenWindow box = s.answerNext(IDCANCEL, L"not-empty-cancel");
    EXPECT_EQ(box.caption, L"提示");
    EXPECT_EQ(box.text, question);
    Sleep(1000);
    EXPECT_FALSE(fileExists(dir + L"nelvo.cat")) << "Cancel must not start the installation";

    s.click(wizard::kInstall);
    EXPECT_EQ(s.answerNext(IDOK, L"not-empty-ok").text, question);
    const std::wstring busy = L"文件可能被其他程序占用。\r\n" + dir + L"Nelvo.exe\r\n请关闭占用的程序再重试";
    box = s.answerNext(IDRETRY, L"locked-retry", 60000);
    EXPECT_EQ(box.caption, L"异常");
    EXPECT_EQ(box.text, busy);
    // Retry tries again and fails again: the same box.
    box = s.answerNext(IDCANCEL, L"locked-cancel", 30000);
    EXPECT_EQ(box.text, busy);
    EXPECT_EQ(closeUndoneRun(s, L"locked-undone", 60000, kExitCancelled).text, kUndoneText);
    // The install stopped at the locked file and took back the files before
    // it; the locked file, the user's, stays as it was.
    EXPECT_FALSE(fileExists(dir + L"nelvo64.sys"));
    EXPECT_FALSE(fileExists(dir + L"NelvoBugReport.exe"));
    lock.reset();
    EXPECT_EQ(readFile(dir + L"Nelvo.exe"), "");
    expectNothingRegistered();
}

TEST_F(WizardEndToEnd, ProgramsUsingTheCameraEndOnlyWithOk) {
    // Before Windows 8 the old driver is removed first, and programs that
    // use the camera must go: the product's, in its codecs folder. One
    // elsewhere is listed too, but is not the installation's to end.
    const ReportedVersion windows7(L"win7");
    const std::wstring other = kScratch + L"Camera\\";
    const std::wstring codecs = specialFolder(CSIDL_APPDATA) + L"\\Nelvo\\codecs\\";
    ChildProcess user, product;
    for (const auto& [folder, process] : {std::pair{other, &user}, std::pair{codecs, &product}}) {
        const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        ASSERT_TRUE(made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS) << made;
        ASSERT_TRUE(extractPayloadMember(setupProgram(), L"Nelvo.exe", folder + L"Nelvo.exe"));
        ASSERT_TRUE(process->start(folder + L"Nelvo.exe"));
        ASSERT_TRUE(within(15000, [&] { return processRunningFrom(folder + L"Nelvo.exe"); }));
        Sleep(1000);  // it lists itself once its window is up
    }
    const std::wstring dir = kScratch + L"Busy\\";
    // One line per program; the line break travels in a long-bracket text,
    // which keeps it as a plain LF.
    const std::wstring question =
        L"立即结束以下程序来继续安装过程吗?\r\n" + other + L"Nelvo.exe\n" + codecs + L"Nelvo.exe\n";
    {
        WizardSession s(*layout, L"e2e-camera-keep");
        openFolderPage(s);
        installTo(s, dir);
        const SeenWindow box = s.answerNext(IDCANCEL, L"camera-cancel", 30000);
        EXPECT_EQ(box.caption, L"提示");
        EXPECT_EQ(box.text, question);
        EXPECT_EQ(closeUndoneRun(s, L"camera-undone").text, kUndoneText);
        EXPECT_TRUE(user.running());
        EXPECT_TRUE(product.running());
        EXPECT_FALSE(fileExists(dir)) << "the folder the run made stays";
        expectNothingRegistered();
    }
    {
        WizardSession s(*layout, L"e2e-camera");
        openFolderPage(s);
        const DWORD clicked = GetTickCount();
        installTo(s, dir);
        EXPECT_EQ(s.answerNext(IDOK, L"camera-ok", 30000).text, question);
        EXPECT_TRUE(product.waitForExit(15000)) << "OK ends the product's programs";
        ASSERT_TRUE(s.watchInstall(clicked));
        s.click(wizard::kRunProduct);
        s.click(wizard::kFinish);
        ASSERT_TRUE(s.waitForExit());
    }
    EXPECT_TRUE(user.running()) << "a listed program elsewhere was ended";
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());
}

TEST_F(WizardEndToEnd, UpdateWithASavedPath) {
    const std::wstring dir = kScratch + L"Update\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(extractPayloadMember(setupProgram(), L"Nelvo.exe", dir + L"Nelvo.exe"));
    ChildProcess product;
    ASSERT_TRUE(product.start(dir + L"Nelvo.exe"));
    ASSERT_TRUE(within(15000, [&] { return processRunningFrom(dir + L"Nelvo.exe"); }));
    // Saved by an earlier version in a looser form.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QuentNelvo", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const std::wstring saved = L"C:/NelvoE2E//Update";
    RegSetValueExW(key, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                   DWORD((saved.size() + 1) * 2));
    RegCloseKey(key);
    // The installation is there, as the machine-wide entry says.
    setUninstallEntry(dir + L"unins000.exe");
    ASSERT_TRUE(extractPayloadMember(setupProgram(), L"unins000.exe", dir + L"unins000.exe"));
    const std::wstring question = L"Nelvo正在运行中，是否停止Nelvo？";

    {
        // Keeping the product running ends the wizard before anything is
        // installed, and the wizard says why before it goes.
        WizardSession s(*layout, L"e2e-update-keep");
        ASSERT_TRUE(s.start());
        s.click(wizard::kAccept);
        const SeenWindow box = s.answerNext(IDCANCEL, L"running-cancel");
        EXPECT_EQ(box.caption, L"提示");
        EXPECT_EQ(box.text, question);
        const SeenWindow why = s.answerNext(IDOK, L"running-ends");
        EXPECT_EQ(why.caption, L"提示");
        EXPECT_EQ(why.text, L"Nelvo仍在运行，安装程序将退出。\n\n请先退出Nelvo，再重新运行安装程序。");
        EXPECT_TRUE(s.waitForExit());
        EXPECT_TRUE(product.running());
        EXPECT_FALSE(fileExists(dir + L"nelvo.cat"));
    }
    // This time from a copy whose name carries where it was handed out.
    const std::wstring copy = outDir() + L"\\tests\\Nelvo-2.0-partner.exe";
    ASSERT_TRUE(CopyFileW(setupProgram().c_str(), copy.c_str(), FALSE));
    {
        WizardSession s(*layout, L"e2e-update", copy);
        ASSERT_TRUE(s.start());
        s.click(wizard::kAccept);
        EXPECT_EQ(s.answerNext(IDOK, L"running-ok").text, question);
        const DWORD accepted = GetTickCount();
        EXPECT_TRUE(product.waitForExit(15000)) << "OK stops the product";
        // Straight to the progress page: no folder page, no install click.
        ASSERT_TRUE(s.watchInstall(accepted));
        s.click(wizard::kRunProduct);
        s.click(wizard::kFinish);
        ASSERT_TRUE(s.waitForExit());
    }
    DeleteFileW(copy.c_str());
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());
    expectRegistration(dir, L"partner");
}

// What anyone could have written never chooses where the elevated setup
// writes: a saved install path naming the 32-bit system folder, or a
// folder the machine-wide entry does not name, brings the folder page; a
// system folder is refused there typed, and through a link; nothing is
// written into the system folder.
TEST_F(WizardEndToEnd, UntrustedPlacesNeverChooseTheFolder) {
    wchar_t systemText[MAX_PATH] = {};
    ASSERT_GT(GetSystemWow64DirectoryW(systemText, MAX_PATH), 0u);
    const std::wstring system = systemText;
    const std::string runtimeBefore = readFile(system + L"\\msvcr110.dll");
    const std::wstring other = kScratch + L"Other\\";
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    ASSERT_TRUE(extractPayloadMember(setupProgram(), L"unins000.exe", other + L"unins000.exe"));
    setUninstallEntry(kScratch + L"Elsewhere\\unins000.exe");
    const std::wstring link = kScratch + L"sys";
    struct LinkGone {
        std::wstring link;
        ~LinkGone() { removeFolderLink(link); }
    } gone{link};
    ASSERT_TRUE(makeFolderLink(link, L"C:\\windows\\system32"));

    for (const std::wstring& saved : {system + L"\\", other}) {
        setSavedInstallPath(saved);
        WizardSession s(*layout, L"e2e-untrusted-" + std::to_wstring(saved.size()));
        ASSERT_TRUE(s.start());
        s.click(wizard::kAccept);
        ASSERT_TRUE(s.waitUntilHidden(wizard::kLicenceText)) << "the folder page";
        s.shot(L"folder-page");
        for (const std::wstring& typed : {system, std::wstring(L"c:\\windows\\system32\\Nelvo"), link + L"\\QuentNelvo"}) {
            installTo(s, typed);
            const SeenWindow box = s.answerNext(IDOK, L"refused");
            EXPECT_EQ(box.caption, L"错误") << wideToUtf8(typed);
            EXPECT_EQ(box.text, L"不能安装到系统文件夹") << wideToUtf8(typed);
        }
        EXPECT_TRUE(s.process().running());
        s.click(wizard::kClose);
        EXPECT_EQ(s.answerNext(IDYES, L"quit").caption, kQuitCaption);
        EXPECT_TRUE(s.waitForExit());
    }
    EXPECT_EQ(readFile(system + L"\\msvcr110.dll"), runtimeBefore);
    EXPECT_FALSE(fileExists(system + L"\\nelvo.cat"));
    EXPECT_FALSE(fileExists(system + L"\\unins000.exe"));
    EXPECT_FALSE(fileExists(other + L"nelvo.cat"));
    EXPECT_EQ(readRegValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo",
                           L"UninstallString").text,
              kScratch + L"Elsewhere\\unins000.exe");
}

TEST_F(WizardEndToEnd, RestartNeededAndThenPending) {
    const ReportedVersion windows8(L"win8");
    const std::wstring dir = kScratch + L"Restart\\";
    {
        WizardSession s(*layout, L"e2e-restart");
        // The device tool asks for a restart, after two seconds of work.
        DWORD clicked = 0;
        installWithDeviceOutcome(s, dir, "install 1 2\n", &clicked);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(s.watchInstall(clicked));
        s.click(wizard::kFinish);  // "run Nelvo" stays checked
        const std::optional<WizardSession::Box> box = s.waitForMessageBox(30000);
        ASSERT_TRUE(box);
        EXPECT_FALSE(IsWindow(s.window()) && IsWindowVisible(s.window())) << "the question comes after the window";
        EXPECT_EQ(box->seen.caption, L"提示");
        EXPECT_EQ(box->seen.text, L"Nelvo需要重启电脑才能正常使用，是否立即重启?");
        // Cancel: the computer is not restarted (under Wine that would end
        // the whole session).
        s.answer(*box, IDCANCEL, L"restart-question-cancel");
        ASSERT_TRUE(s.waitForExit());
    }
    expectRegistration(dir);
    // Windows 8 and later: the driver is installed from the install folder
    // and the camera filter is not registered.
    EXPECT_THAT(lower(utf8ToWide(readFile(dir + L"DevconExe.log"))),
                HasSubstr(lower(L"|install|" + dir + L"nelvo.inf|nelvo")));
    EXPECT_EQ(classServer(kFilterClass), L"");
    Sleep(1000);
    EXPECT_FALSE(processRunningFrom(dir + L"Nelvo.exe")) << "a restart is due: the product is not started";
    EXPECT_TRUE(restartMarkerPresent());

    expectRefusedWith(L"e2e-restart-pending", L"检测到Quent安装或卸载操作尚未完成，需要重启电脑。");
}

TEST_F(WizardEndToEnd, FailingDriverInstallIsTakenBack) {
    const ReportedVersion windows8(L"win8");
    const std::wstring dir = kScratch + L"Failing\\";
    WizardSession s(*layout, L"e2e-driver-fails");
    installWithDeviceOutcome(s, dir, "install -1\n");
    if (HasFatalFailure()) return;
    const SeenWindow box = s.answerNext(IDOK, L"driver-failed", 60000);
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_EQ(box.text, L"安装过程发生异常\r\n\r\n安装虚拟摄像头驱动失败");
    EXPECT_EQ(closeUndoneRun(s, L"driver-failed-undone", 60000, kExitFailed).text, kUndoneText);
    EXPECT_FALSE(restartMarkerPresent());
    expectNothingRegistered();
    EXPECT_THAT(readFile(dir + L"NelvoCount.log"), HasSubstr("app err_driverins 2.0.0.69"));
    // What the device tool may have done of the driver is removed again,
    // with the tool this run extracted, before that goes too.
    const std::string log = readFile(dir + L"DevconExe.log");
    EXPECT_THAT(log.substr(log.find("install")), HasSubstr("remove"));
    EXPECT_FALSE(fileExists(dir + L"DevconExe.exe") || fileExists(dir + L"DevconExe64.exe"));
}

// The install script itself fails: the worker hands the error to the wizard
// (code 6), takes the run back, and the wizard closes with its box.
TEST_F(WizardEndToEnd, InstallScriptErrorIsTakenBack) {
    WizardSession s(*layout, L"e2e-script-error", outDir() + L"\\tests\\setup-failing-install.exe");
    openFolderPage(s);
    const std::wstring dir = kScratch + L"Broken\\";
    installTo(s, dir);
    const SeenWindow box = s.answerNext(IDOK, L"script-error", 60000);
    EXPECT_EQ(box.caption, L"错误");
    EXPECT_EQ(box.text.rfind(L"安装过程发生异常\r\n\r\n", 0), 0u) << box.text.c_str();
    EXPECT_NE(box.text.find(L"LG.lua:10: attempt to index"), std::wstring::npos) << box.text.c_str();
    EXPECT_EQ(closeUndoneRun(s, L"script-error-undone").text, kUndoneText) << "no page without a way out";
    EXPECT_FALSE(fileExists(dir)) << "the folder the run made stays";
    expectNothingRegistered();
}

// Deployment without a person: /S installs and updates with no window and
// no box, /D= names the folder, /LOG= writes what happened, and every way a
// run ends has its own exit code, with a person or without.
TEST_F(WizardEndToEnd, UnattendedRunsAndTheirExitCodes) {
    const ReportedVersion windows7(L"win7");
    auto run = [](const std::wstring& arguments, const wchar_t* shots, int button = IDOK) {
        RunOptions o;
        o.arguments = arguments;
        o.timeoutMs = 120000;
        o.screenshotPrefix = shots;
        o.messageBoxButton = button;
        return runAndAnswer(setupProgram(), o);
    };
    // A command line it does not understand: nothing is done. Silent, no box
    // either; with a person, the usage.
    RunResult r = run(L"/S /SILENT", L"e2e-unattended-bad");
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, kExitBadCommandLine);
    EXPECT_THAT(r.windows, IsEmpty());
    r = run(L"/Q", L"e2e-unattended-usage");
    EXPECT_EQ(r.exitCode, kExitBadCommandLine);
    ASSERT_EQ(r.windows.size(), 1u);
    EXPECT_EQ(r.windows[0].caption, L"安装Nelvo");
    EXPECT_THAT(r.windows[0].text, HasSubstr(L"/Q"));
    EXPECT_THAT(r.windows[0].text, HasSubstr(L"/D="));

    // A first installation into a folder with spaces, with a log.
    const std::wstring dir = kScratch + L"Silent Nelvo\\";
    const std::wstring log = kScratch + L"setup.log";
    r = run(L"/S /LOG=" + log + L" /D=" + dir.substr(0, dir.size() - 1), L"e2e-unattended-install");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_THAT(r.windows, IsEmpty());
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());
    expectRegistration(dir);
    Sleep(1000);
    EXPECT_FALSE(processRunningFrom(dir + L"Nelvo.exe")) << "an unattended run starts nothing";
    const std::wstring text = utf8ToWide(readFile(log));
    for (const std::wstring& line : std::initializer_list<std::wstring>{
             L" program setup.exe 2.0.0.69", L" system Windows ", L" folder " + dir, L" file " + dir + L"Nelvo.exe (",
          L" program \"" + dir + L"NelvoCount.exe\" app install 2.0.0.69",
          L" registry HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo [InstallLocation] = REG_SZ " +
              dir,
          std::wstring(L" exit 0")})
        EXPECT_THAT(text, HasSubstr(line));

    // An update finds the installation by itself.
    r = run(L"/s", L"e2e-unattended-update");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_THAT(r.windows, IsEmpty());
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());

    // Another setup runs (a wizard on its licence page): nothing is done.
    {
        WizardSession s(*layout, L"e2e-unattended-second");
        ASSERT_TRUE(s.start());
        r = run(L"/S", L"e2e-unattended-second");
        EXPECT_EQ(r.exitCode, kExitAnotherRunning);
        EXPECT_THAT(r.windows, IsEmpty());
        s.click(wizard::kClose);
        EXPECT_EQ(s.answerNext(IDYES, L"quit").caption, L"退出安装程序");
        EXPECT_TRUE(s.waitForExit());
        EXPECT_EQ(s.process().exitCode(), kExitCancelled);
    }

    // A file that cannot be written fails the run, which is taken back; the
    // log says which file and why.
    const std::wstring blocked = kScratch + L"Blocked\\";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    {
        UniqueFileHandle lock(CreateFileW((blocked + L"Nelvo.exe").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(lock);
        const std::wstring failedLog = kScratch + L"failed.log";
        r = run(L"/S /LOG=\"" + failedLog + L"\" /D=" + blocked, L"e2e-unattended-failed");
        EXPECT_EQ(r.exitCode, kExitFailed);
        EXPECT_THAT(r.windows, IsEmpty());
        EXPECT_FALSE(fileExists(blocked + L"nelvo64.sys")) << "the run was not taken back";
        const std::wstring failed = utf8ToWide(readFile(failedLog));
        EXPECT_THAT(failed, HasSubstr(L" failure " + blocked + L"Nelvo.exe ("));
        EXPECT_THAT(failed, HasSubstr(L" undo " + blocked + L"nelvo.cat: taken back"));
        EXPECT_THAT(failed, HasSubstr(L" exit 1603"));
    }
    expectRegistration(dir);

    // The uninstaller, silent too, ends with the removal's own code once
    // everything but its own file is gone; that goes a moment later.
    {
        RunOptions o;
        o.arguments = L"/S /LOG=" + kScratch + L"uninstall.log";
        o.timeoutMs = 120000;
        o.screenshotPrefix = L"e2e-unattended-uninstall";
        o.messageBoxButton = IDCANCEL;
        r = runAndAnswer(dir + L"unins000.exe", o);
    }
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_THAT(r.windows, IsEmpty());
    EXPECT_TRUE(within(20000, [&] { return !fileExists(dir + L"unins000.exe"); })) << "the uninstaller stays";
    EXPECT_FALSE(fileExists(dir + L"Nelvo.exe"));
    expectNothingRegistered();
    const std::wstring removal = utf8ToWide(readFile(kScratch + L"uninstall.log"));
    EXPECT_THAT(removal, HasSubstr(L" answer Yes"));
    EXPECT_THAT(removal, HasSubstr(L" exit 0"));

    // A restart is pending: nothing is done.
    writeRestartMarker();
    r = run(L"/S", L"e2e-unattended-pending");
    EXPECT_EQ(r.exitCode, kExitRestartPending);
    EXPECT_THAT(r.windows, IsEmpty());
}

} // namespace
} // namespace nelvo::test
