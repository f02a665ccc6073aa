// unins000.exe end to end: the product is installed through the wizard as a
// person installs it (leaving "run Nelvo" checked, so the product runs), the
// uninstaller is started from the uninstall entry's UninstallString as the
// system's program list starts it, its boxes are answered, and the prefix is
// compared with its state before the installation.

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "host/RestartMarker.h"
#include "tests/support/FolderLink.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/PrefixState.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace nelvo;
using namespace nelvo::test;

namespace {

const wchar_t* const kCaption = L"卸载 Nelvo";
const wchar_t* const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo";

std::wstring installFolder() { return defaultInstallFolder(); }

// The stand-ins' logs and the device tool's orders, kept out of the prefix.
std::wstring standInFolder() { return outDir() + L"\\tests\\uninstall-standin\\"; }


bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void writeText(const std::wstring& path, const std::string& text) {
    UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr));
}

std::wstring uninstallString() {
    return readRegValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").text;
}

// The program the entry's command names, without its quotes.
std::wstring uninstaller() {
    const std::wstring command = uninstallString();
    return command.size() > 2 && command.front() == L'"' && command.back() == L'"'
               ? command.substr(1, command.size() - 2)
               : command;
}

// Takes away whatever an earlier installation in this prefix left, so that
// the state before the installation holds none of the product.
void forgetProduct() {
    removeFolderLink(installFolder() + L"Resource\\pic");
    removeTree(L"C:\\nelvo-outside-pic");
    removeFolderLink(specialFolder(CSIDL_APPDATA) + L"\\Nelvo");
    removeTree(L"C:\\nelvo-outside-appdata");
    endProcessesUnder(installFolder());
    removeTree(installFolder());
    removeRegistration();
    removeTree(specialFolder(CSIDL_APPDATA) + L"\\Nelvo");
    clearRestartMarker();
}

struct Uninstall {
    RunResult run;
    std::vector<std::wstring> captions;
};

// Starts the program the uninstall entry names and answers its boxes.
Uninstall uninstall(const std::wstring& screenshots, std::function<int(const SeenWindow&)> answer,
                    const std::wstring& arguments = {}) {
    RunOptions options;
    options.arguments = arguments;
    options.followChildren = true;
    options.timeoutMs = 120000;
    options.screenshotPrefix = screenshots;
    options.chooseButton = std::move(answer);
    Uninstall result;
    result.run = runAndAnswer(uninstaller(), options);
    for (const auto& window : result.run.windows) result.captions.push_back(window.caption);
    return result;
}

class UninstallEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        installFolder();  // asked of the shell before anything else runs
        layout = new WizardLayout(setupProgram());
    }
    static void TearDownTestSuite() {
        delete layout;
        layout = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(layout->ok()) << layout->error();
        removeTree(standInFolder());
        CreateDirectoryW(standInFolder().c_str(), nullptr);
        SetEnvironmentVariableW(L"NELVO_STANDIN_DIR", standInFolder().c_str());
        forgetProduct();
        before_ = capturePrefix();
        ASSERT_FALSE(before_.registry.empty()) << "the registry could not be exported";
        WizardSession wizard(*layout, L"uninstall-setup");
        const WalkResult walk = walkFreshInstall(wizard);
        ASSERT_TRUE(walk.ok) << walk.failure;
        ASSERT_EQ(uninstallString(), L"\"" + installFolder() + L"unins000.exe\"");
        ASSERT_TRUE(exists(uninstaller()));
    }
    void TearDown() override { forgetProduct(); }

    static WizardLayout* layout;
    PrefixState before_;
};

WizardLayout* UninstallEndToEnd::layout = nullptr;

// The whole road: refused while another setup runs, No changes nothing, Yes
// leaves the prefix as it was before the installation.
TEST_F(UninstallEndToEnd, LeavesThePrefixAsBeforeTheInstallation) {
    const PrefixState installed = capturePrefix();

    {
        // The wizard is open (at its licence page) and holds the instance
        // mutex.
        WizardSession wizard(*layout, L"uninstall-beside-setup");
        ASSERT_TRUE(wizard.start());
        const Uninstall refused = uninstall(L"uninstall-refused", nullptr);
        wizard.process().kill();
        ASSERT_TRUE(refused.run.finished);
        EXPECT_EQ(refused.run.exitCode, kExitAnotherRunning);
        ASSERT_EQ(refused.captions, std::vector<std::wstring>{L"提示"});
        EXPECT_EQ(refused.run.windows[0].text, L"检测到Quent安装或卸载程序正在运行，请结束后重试。");
        EXPECT_EQ(describeChanges(prefixChanges(installed, capturePrefix())), "(none)");
    }

    {
        // A copy of the uninstaller where nothing is installed touches
        // nothing, not even files that share the install table's names.
        const std::wstring elsewhere = standInFolder() + L"elsewhere\\";
        CreateDirectoryW(elsewhere.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((installFolder() + L"unins000.exe").c_str(), (elsewhere + L"unins000.exe").c_str(), FALSE));
        writeText(elsewhere + L"nelvo.cat", "not the product's");
        RunOptions options;
        options.followChildren = true;
        const RunResult stray = runAndAnswer(elsewhere + L"unins000.exe", options);
        ASSERT_TRUE(stray.finished);
        ASSERT_EQ(stray.windows.size(), 1u);
        EXPECT_EQ(stray.windows[0].caption, L"提示");
        EXPECT_EQ(stray.windows[0].text.find(L"在文件夹 " + elsewhere), 0u) << wideToUtf8(stray.windows[0].text);
        EXPECT_TRUE(exists(elsewhere + L"nelvo.cat"));
    }

    // The wizard started the product, which lists itself as a program that
    // uses the camera: the question names it.
    const std::wstring product = installFolder() + L"Nelvo.exe";
    ASSERT_TRUE(processRunningFrom(product));
    const std::wstring question = L"您确定要完全移除 Nelvo 及其所有组件吗？\r\n\r\n以下程序将被结束：\r\n" + product + L"\r\n";

    const Uninstall declined = uninstall(L"uninstall-confirm", [](const SeenWindow&) { return IDNO; });
    ASSERT_TRUE(declined.run.finished);
    EXPECT_EQ(declined.run.exitCode, kExitCancelled);
    ASSERT_EQ(declined.captions, std::vector<std::wstring>{kCaption});
    EXPECT_EQ(declined.run.windows[0].text, question);
    EXPECT_TRUE(processRunningFrom(product));
    EXPECT_EQ(describeChanges(prefixChanges(installed, capturePrefix())), "(none)");

    // Files an interrupted setup kept aside go with the installation, also
    // in the user's folder.
    const std::wstring codecs = specialFolder(CSIDL_APPDATA) + L"\\Nelvo\\codecs\\";
    for (const std::wstring& kept : {installFolder() + L"nlu0123456789abcdef.tmp", installFolder() + L"Resource\\nlu1.tmp",
                                     codecs + L"nlu2.tmp"}) {
        writeText(kept, "kept aside");
        SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }

    const std::wstring log = standInFolder() + L"uninstall.log";
    const Uninstall done = uninstall(
        L"uninstall-done", [](const SeenWindow& box) { return box.text.find(L"您确定") == 0 ? IDYES : IDOK; },
        L"/LOG=\"" + log + L"\"");
    ASSERT_TRUE(done.run.finished);
    EXPECT_EQ(done.run.exitCode, 0u);
    EXPECT_EQ(done.captions, (std::vector<std::wstring>{kCaption, kCaption}));
    ASSERT_EQ(done.run.windows.size(), 2u);
    EXPECT_EQ(done.run.windows[0].text, question);
    EXPECT_FALSE(processRunningFrom(product));
    EXPECT_EQ(done.run.windows[1].text, L"Nelvo 已成功地从您的电脑中移除。");
    // Nothing of the product is left: files, folders, shortcuts, the moved
    // settings file, every registry value and key, the libraries' classes,
    // the copy of the uninstaller in the temporary folder.
    EXPECT_EQ(describeChanges(prefixChanges(before_, capturePrefix())), "(none)");
    // The device tool took the driver away.
    const std::string calls = readFileBytes(standInFolder() + L"DevconExe.log");
    EXPECT_NE(calls.find("|remove|nelvo\n"), std::string::npos) << calls;
    // The user's folder was emptied with the user's rights, as the thread
    // of the removal carried them: without administrator rights.
    const std::string written = readFileBytes(log);
    const size_t user = written.find(" rights the user's, without administrator rights\r\n");
    EXPECT_NE(user, std::string::npos) << written;
    EXPECT_NE(written.find(" rights the program's\r\n", user), std::string::npos) << written;
    EXPECT_EQ(written.find(" rights the user's, an administrator"), std::string::npos) << written;
}

// The user's own file keeps its folder; nothing is deleted through a folder
// link (one in the install folder, and the user's data folder made a link to
// a folder elsewhere, whose empty folder the uninstaller must not remove
// through it); a file held open by another program is offered for retry and goes
// once it is free; the device tool's request for a restart is passed on.
TEST_F(UninstallEndToEnd, KeepsTheUsersFilesAndRetriesALockedOne) {
    const std::wstring userFile = installFolder() + L"Resource\\我的皮肤.nz";
    writeText(userFile, "mine");
    // The pictures' folder now lies outside, behind a link of the same name.
    const std::wstring pictures = installFolder() + L"Resource\\pic";
    const std::wstring outside = L"C:\\nelvo-outside-pic";
    ASSERT_TRUE(MoveFileW(pictures.c_str(), outside.c_str()));
    ASSERT_TRUE(makeFolderLink(pictures, outside));
    const std::wstring userData = specialFolder(CSIDL_APPDATA) + L"\\Nelvo", outsideData = L"C:\\nelvo-outside-appdata";
    ASSERT_TRUE(MoveFileW(userData.c_str(), outsideData.c_str()));
    ASSERT_TRUE(DeleteFileW((outsideData + L"\\codecs\\config_default").c_str()));
    ASSERT_TRUE(makeFolderLink(userData, outsideData));
    const std::wstring lockedFile = installFolder() + L"Effect\\bg\\black.efc";
    UniqueFileHandle lock(
        CreateFileW(lockedFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    writeText(standInFolder() + L"devcon-outcome.txt", "remove 1\n");

    bool lockedWhenAsked = false;
    std::wstring lockedText;
    const Uninstall done = uninstall(L"uninstall-locked", [&](const SeenWindow& box) {
        if (box.caption == L"异常") {
            lockedText = box.text;
            lockedWhenAsked = exists(lockedFile);
            lock.reset();
            return IDRETRY;
        }
        if (box.caption == L"提示") return IDCANCEL;  // the restart, later
        return box.text.find(L"您确定") == 0 ? IDYES : IDOK;
    });
    ASSERT_TRUE(done.run.finished);
    EXPECT_EQ(done.run.exitCode, kExitRestartNeeded);
    EXPECT_EQ(done.captions, (std::vector<std::wstring>{kCaption, L"异常", kCaption, L"提示"}));
    EXPECT_TRUE(lockedWhenAsked);
    EXPECT_NE(lockedText.find(lockedFile), std::wstring::npos) << wideToUtf8(lockedText);
    ASSERT_EQ(done.run.windows.size(), 4u);
    EXPECT_NE(done.run.windows[2].text.find(installFolder()), std::wstring::npos);
    EXPECT_EQ(done.run.windows[3].text, L"Nelvo需要重启电脑才能完成卸载，是否立即重启?");

    // Left: the user's file with the folders above it, and the machine's
    // marker that makes the next setup wait for the restart.
    uint8_t shutdown[8] = {};
    readShutdownTime(shutdown);
    std::wstring bytes;
    for (uint8_t b : shutdown) {
        wchar_t hex[4];
        swprintf(hex, 4, L"%02x", b);
        bytes += (bytes.empty() ? L"" : L",") + std::wstring(hex);
    }
    const std::wstring markerKey = L"[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\QuentNelvo]";
    const std::vector<std::wstring> changes = prefixChanges(before_, capturePrefix());
    std::set<std::wstring> expected{L"+ " + markerKey, L"+ " + markerKey + L" \"RestartPending\"=hex:" + bytes,
                                    L"+ " + installFolder(), L"+ " + installFolder() + L"Resource\\", L"+ " + userFile,
                                    L"+ " + pictures + L"\\", L"+ " + outside + L"\\", L"+ " + userData + L"\\",
                                    L"+ " + outsideData + L"\\", L"+ " + outsideData + L"\\codecs\\"};
    for (const wchar_t* picture : {L"bottom.jpg", L"filemiss.jpg", L"left.jpg", L"music.jpg", L"right.jpg", L"top.jpg"})
        expected.insert(L"+ " + outside + L"\\" + picture);
    EXPECT_EQ(std::set<std::wstring>(changes.begin(), changes.end()), expected) << describeChanges(changes);
    EXPECT_EQ(readFileBytes(userFile), "mine");
}

// Without a private folder to copy itself to (the Windows folder's
// temporary folder is a file here), the uninstaller removes in place and
// leaves only its own file, for the next restart.
TEST_F(UninstallEndToEnd, RemovesInPlaceWhenNoCopyCanRun) {
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring temp = std::wstring(windows) + L"\\Temp", aside = temp + L"-aside";
    ASSERT_TRUE(MoveFileW(temp.c_str(), aside.c_str()));
    writeText(temp, "not a folder");
    const Uninstall done = uninstall(L"uninstall-in-place", [](const SeenWindow& box) {
        return box.text.find(L"您确定") == 0 ? IDYES : IDOK;
    });
    DeleteFileW(temp.c_str());
    ASSERT_TRUE(MoveFileW(aside.c_str(), temp.c_str()));

    ASSERT_TRUE(done.run.finished);
    EXPECT_EQ(done.captions, (std::vector<std::wstring>{kCaption, kCaption}));
    const std::vector<std::wstring> changes = prefixChanges(before_, capturePrefix());
    EXPECT_EQ(std::set<std::wstring>(changes.begin(), changes.end()),
              (std::set<std::wstring>{L"+ " + installFolder(), L"+ " + installFolder() + L"unins000.exe"}))
        << describeChanges(changes);
    std::wstring pending(32768, L'\0');
    DWORD bytes = DWORD(pending.size() * sizeof(wchar_t));
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                           L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending.data(), &bytes),
              ERROR_SUCCESS);
    EXPECT_NE(pending.find(installFolder() + L"unins000.exe"), std::wstring::npos);
}

} // namespace
