// A setup program that tools/make-setup.sh built from a product folder and
// signed, installed through the wizard. make-setup-test.sh builds it and runs
// this program with NELVO_SHIPPED_SETUP (the program), NELVO_CHANGED_MEMBER
// (a member the folder changed) and NELVO_CHANGED_COPY (the folder's file),
// NELVO_UNINSTALLER_COPY (where to put the payload's uninstaller for its
// signature to be verified); all Windows paths. The version the registry
// shows is the one both programs carry in their version resources.

#include "base/TextConvert.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace nelvo::test {
namespace {

std::wstring fromEnvironment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

// A text of a program's version resource (Chinese, Unicode block).
std::wstring versionText(const std::wstring& program, const wchar_t* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(program.c_str(), 0, size, block.data())) return L"";
    void* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &text, &length) || length == 0) return L"";
    return static_cast<const wchar_t*>(text);
}

class ShippedSetup : public WizardTest {};

TEST_F(ShippedSetup, InstallsTheFolderItWasBuiltFrom) {
    const std::wstring exe = fromEnvironment(L"NELVO_SHIPPED_SETUP");
    const std::wstring changed = fromEnvironment(L"NELVO_CHANGED_MEMBER");
    ASSERT_TRUE(fileExists(exe)) << "NELVO_SHIPPED_SETUP";
    ASSERT_FALSE(changed.empty());

    const std::wstring uninstallerCopy = fromEnvironment(L"NELVO_UNINSTALLER_COPY");
    ASSERT_TRUE(extractPayloadMember(exe, L"unins000.exe", uninstallerCopy));

    // The signed program passes its own start-up check: the wizard comes up
    // and installs.
    WizardSession s(*layout, L"shipped", exe);
    const std::wstring day = localDay();
    const WalkResult walk = walkFreshInstall(s);
    ASSERT_TRUE(walk.ok) << walk.failure;
    EXPECT_EQ(s.process().exitCode(), 0u);

    const std::wstring dir = defaultInstallFolder();
    EXPECT_THAT(compareWithPayload(exe, dir, movedMembers()), ::testing::IsEmpty());
    const std::string folderCopy = readFile(fromEnvironment(L"NELVO_CHANGED_COPY"));
    EXPECT_FALSE(folderCopy.empty());
    EXPECT_EQ(readFile(dir + changed), folderCopy) << "the folder's " << wideToUtf8(changed);
    expectUninstallEntryDetails(dir, exe, day);

    // One version: the registry's, and both programs' version resources.
    const std::wstring version = readRegValue(HKEY_LOCAL_MACHINE,
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuentNelvo", L"DisplayVersion").text;
    EXPECT_FALSE(version.empty());
    for (const std::wstring& program : {exe, uninstallerCopy}) {
        EXPECT_EQ(versionText(program, L"ProductVersion"), version) << wideToUtf8(program);
        EXPECT_EQ(versionText(program, L"FileVersion"), version) << wideToUtf8(program);
    }
}

} // namespace
} // namespace nelvo::test
