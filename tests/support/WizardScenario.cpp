#include "tests/support/WizardScenario.h"

#include "base/TextConvert.h"
#include "host/RestartMarker.h"

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace nelvo::test {
namespace {

constexpr wchar_t kVersionKey[] = L"Software\\Wine\\AppDefaults\\setup.exe";

} // namespace

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string readFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeFile(const std::wstring& path, const std::string& text) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out << text;
    return bool(out);
}

void cleanMachine() {
    for (const std::wstring& dir : {defaultInstallFolder(), kScratch, std::wstring(L"C:\\QuentNelvo\\")}) {
        endProcessesUnder(dir);
        removeTree(dir);
    }
    removeTree(specialFolder(CSIDL_APPDATA) + L"\\Nelvo");
    removeRegistration();
    clearRestartMarker();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kVersionKey, L"Version");
}

void openFolderPage(WizardSession& s) {
    ASSERT_TRUE(s.start()) << "the wizard window did not show";
    s.click(wizard::kAccept);
    ASSERT_TRUE(s.waitUntilHidden(wizard::kLicenceText)) << "the licence page stayed";
}

void installTo(WizardSession& s, const std::wstring& text) {
    ASSERT_TRUE(s.replaceFolderText(text)) << "cannot type the folder";
    s.click(wizard::kInstall);
}

void installWithDeviceOutcome(WizardSession& s, const std::wstring& dir, const std::string& outcome,
                              DWORD* clickedAt) {
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(writeFile(dir + L"devcon-outcome.txt", outcome));
    openFolderPage(s);
    if (::testing::Test::HasFatalFailure()) return;
    installTo(s, dir.substr(0, dir.size() - 1));
    if (clickedAt) *clickedAt = GetTickCount();
    EXPECT_EQ(s.answerNext(IDOK, L"not-empty-ok").caption, L"提示");
}

SeenWindow closeUndoneRun(WizardSession& s, const std::wstring& what, DWORD timeoutMs) {
    const std::optional<WizardSession::Box> box = s.waitForMessageBox(timeoutMs);
    EXPECT_TRUE(box) << "no box after the undo";
    if (!box) return {};
    s.shot(what + L"-progress");
    s.answer(*box, IDOK, what);
    EXPECT_EQ(box->seen.caption, L"提示");
    EXPECT_EQ(box->seen.text.rfind(kUndoneHead, 0), 0u) << wideToUtf8(box->seen.text);
    EXPECT_TRUE(s.waitForExit()) << "the closing box ends the wizard";
    EXPECT_EQ(s.process().exitCode(), 0u);
    return box->seen;
}

RegValue savedInstallPath() { return readRegValue(HKEY_CURRENT_USER, L"Software\\QuentNelvo", L"InstallPath"); }

void expectNothingRegistered() {
    EXPECT_FALSE(savedInstallPath().exists);
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo"));
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, L"zhibo"));
    EXPECT_FALSE(fileExists(specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Nelvo.lnk"));
}

WizardLayout* WizardTest::layout = nullptr;

std::wstring localDay() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

void expectUninstallEntryDetails(const std::wstring& dir, const std::wstring& setupExe,
                                 const std::wstring& earlierDay) {
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo";
    const RegValue location = readRegValue(HKEY_LOCAL_MACHINE, key, L"InstallLocation");
    EXPECT_EQ(location.type, DWORD(REG_SZ));
    EXPECT_EQ(location.text, dir);
    const RegValue size = readRegValue(HKEY_LOCAL_MACHINE, key, L"EstimatedSize");
    EXPECT_EQ(size.type, DWORD(REG_DWORD));
    const uint64_t bytes = payloadBytes(setupExe);
    EXPECT_GT(bytes, 0u);
    EXPECT_EQ(size.number, DWORD((bytes + 1023) / 1024));
    const RegValue date = readRegValue(HKEY_LOCAL_MACHINE, key, L"InstallDate");
    EXPECT_EQ(date.type, DWORD(REG_SZ));
    EXPECT_TRUE(date.text == localDay() || date.text == earlierDay) << wideToUtf8(date.text);
    for (const wchar_t* flag : {L"NoModify", L"NoRepair"}) {
        const RegValue v = readRegValue(HKEY_LOCAL_MACHINE, key, flag);
        EXPECT_EQ(v.type, DWORD(REG_DWORD)) << wideToUtf8(flag);
        EXPECT_EQ(v.number, 1u) << wideToUtf8(flag);
    }
}

void WizardTest::SetUpTestSuite() { layout = new WizardLayout(setupProgram()); }

void WizardTest::TearDownTestSuite() {
    delete layout;
    layout = nullptr;
}

void WizardTest::SetUp() {
    ASSERT_TRUE(layout->ok()) << layout->error();
    cleanMachine();
    CreateDirectoryW(kScratch.c_str(), nullptr);
}

void WizardTest::TearDown() { cleanMachine(); }

ReportedVersion::ReportedVersion(const wchar_t* version) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kVersionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

ReportedVersion::~ReportedVersion() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kVersionKey, L"Version"); }

} // namespace nelvo::test
