// A setup program that tools/make-setup.sh built from a product folder and
// signed, installed through the wizard. make-setup-test.sh builds it and runs
// this program with NELVO_SHIPPED_SETUP (the program), NELVO_CHANGED_MEMBER
// (a member the folder changed) and NELVO_CHANGED_COPY (the folder's file),
// NELVO_UNINSTALLER_COPY (where to put the payload's uninstaller for its
// signature to be verified); all Windows paths.

#include "host/TextConvert.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace nelvo::test {
namespace {

std::wstring fromEnvironment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
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
}

} // namespace
} // namespace nelvo::test
