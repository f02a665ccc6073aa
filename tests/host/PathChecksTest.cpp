// The decisions of the elevated programs' path checks and access lists,
// through their seams: the link check and the system-folder check over a
// file system described in the test (junctions and short names that Wine
// cannot make), and the security descriptors the programs build, read back
// entry by entry (Wine keeps no access lists on files).

#include "base/PathChecks.h"
#include "base/ProtectedAccess.h"
#include "tests/support/ThisUser.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <map>
#include <vector>

using namespace nelvo;

namespace {

// Paths are given in their full form; a link names where it leads, a short
// name its long form.
class FakeProbe final : public PathProbe {
public:
    std::map<std::wstring, Kind> kinds;
    std::map<std::wstring, std::wstring> leadsTo;  // links and short names
    std::map<std::wstring, std::wstring> longNames;

    std::wstring fullPath(const std::wstring& path) override { return path; }
    Kind kind(const std::wstring& path) override {
        const auto it = kinds.find(path);
        return it == kinds.end() ? Kind::Absent : it->second;
    }
    std::wstring finalPath(const std::wstring& path) override {
        if (kind(path) == Kind::Absent) return {};
        // The longest known prefix that leads elsewhere.
        for (size_t end = path.size(); end > 2; end = path.rfind(L'\\', end - 1)) {
            const auto it = leadsTo.find(path.substr(0, end));
            if (it != leadsTo.end()) return it->second + path.substr(end);
            if (end == std::wstring::npos || end == 0) break;
        }
        return path;
    }
    std::wstring longPath(const std::wstring& path) override {
        const auto it = longNames.find(path);
        return it == longNames.end() ? path : it->second;
    }

    void folders(std::initializer_list<const wchar_t*> paths) {
        for (const wchar_t* p : paths) kinds[p] = Kind::Plain;
    }
};

TEST(LinkCheck, RefusesEveryWayALinkCanLeadElsewhere) {
    FakeProbe fs;
    fs.folders({L"C:\\Users", L"C:\\Users\\u", L"C:\\Users\\u\\AppData", L"C:\\Windows",
                L"C:\\Program Files", L"C:\\Program Files\\QuentNelvo"});
    // A plain path, its missing end included, and a short name of it.
    EXPECT_FALSE(passesThroughLink(L"C:\\Program Files\\QuentNelvo\\Nelvo.ax", fs));
    EXPECT_FALSE(passesThroughLink(L"C:\\Users\\u\\AppData\\Nelvo\\codecs\\config_default", fs));
    fs.kinds[L"C:\\PROGRA~1"] = PathProbe::Kind::Plain;
    fs.leadsTo[L"C:\\PROGRA~1"] = L"C:\\Program Files";
    fs.longNames[L"C:\\PROGRA~1"] = L"C:\\Program Files";
    EXPECT_FALSE(passesThroughLink(L"C:\\PROGRA~1\\x.dll", fs));

    // A junction on the way, below the root.
    fs.kinds[L"C:\\Users\\u\\AppData\\Nelvo"] = PathProbe::Kind::Link;
    fs.leadsTo[L"C:\\Users\\u\\AppData\\Nelvo"] = L"C:\\Windows";
    EXPECT_TRUE(passesThroughLink(L"C:\\Users\\u\\AppData\\Nelvo\\Effect\\effects.json", fs));
    // The last part itself.
    EXPECT_TRUE(passesThroughLink(L"C:\\Users\\u\\AppData\\Nelvo", fs));
    EXPECT_TRUE(passesThroughLink(L"C:\\Users\\u\\AppData\\Nelvo\\", fs));
    // A link the kind does not show: the handle names another place.
    fs.kinds[L"C:\\Users\\u\\AppData\\Nelvo"] = PathProbe::Kind::Plain;
    EXPECT_TRUE(passesThroughLink(L"C:\\Users\\u\\AppData\\Nelvo\\codecs\\config_default", fs));
    // What is not a path of a drive is not shown to be free of links.
    EXPECT_TRUE(passesThroughLink(L"\\\\server\\share\\x", fs));
    EXPECT_TRUE(passesThroughLink(L"", fs));
}

TEST(SystemPath, TheSystemsFoldersAndRootsHoweverNamed) {
    FakeProbe fs;
    fs.folders({L"C:\\Windows", L"C:\\Windows\\SysWOW64", L"C:\\Windows\\System32", L"C:\\Program Files (x86)",
                L"D:\\Games"});
    const std::vector<std::wstring> system{L"C:\\Windows", L"C:\\Windows\\system32", L"C:\\windows\\syswow64"};

    EXPECT_TRUE(isSystemPath(L"C:\\windows\\syswow64\\", system, fs));
    EXPECT_TRUE(isSystemPath(L"c:\\WINDOWS\\", system, fs));
    EXPECT_TRUE(isSystemPath(L"C:\\Windows\\Nelvo\\New\\", system, fs));  // not there yet
    EXPECT_TRUE(isSystemPath(L"C:\\", system, fs));
    EXPECT_TRUE(isSystemPath(L"D:\\", system, fs));
    EXPECT_FALSE(isSystemPath(L"C:\\Program Files (x86)\\QuentNelvo\\", system, fs));
    EXPECT_FALSE(isSystemPath(L"D:\\Games\\QuentNelvo\\", system, fs));
    EXPECT_FALSE(isSystemPath(L"C:\\WindowsApps\\QuentNelvo\\", system, fs));  // a name that merely starts alike

    // A short name and a junction that lead into the Windows folder, and a
    // junction that leads to a drive root.
    fs.kinds[L"C:\\WINDOW~1"] = PathProbe::Kind::Plain;
    fs.leadsTo[L"C:\\WINDOW~1"] = L"C:\\Windows";
    EXPECT_TRUE(isSystemPath(L"C:\\WINDOW~1\\QuentNelvo\\", system, fs));
    fs.kinds[L"D:\\Games\\sys"] = PathProbe::Kind::Link;
    fs.leadsTo[L"D:\\Games\\sys"] = L"C:\\Windows\\System32";
    EXPECT_TRUE(isSystemPath(L"D:\\Games\\sys\\QuentNelvo\\", system, fs));
    fs.kinds[L"D:\\Games\\root"] = PathProbe::Kind::Link;
    fs.leadsTo[L"D:\\Games\\root"] = L"E:\\";
    EXPECT_TRUE(isSystemPath(L"D:\\Games\\root\\", system, fs));
}

// True when the list gives `sid` any right to change what it guards.
bool grantsWrite(PSECURITY_DESCRIPTOR descriptor, WELL_KNOWN_SID_TYPE sid) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present && dacl);
    if (!dacl) return true;
    constexpr ACCESS_MASK kWrite = GENERIC_ALL | GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                   FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        EXPECT_TRUE(GetAce(dacl, i, &ace));
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        if (IsWellKnownSid(&allowed->SidStart, sid) && (allowed->Mask & kWrite)) return true;
    }
    return false;
}

SECURITY_DESCRIPTOR_CONTROL control(PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_DESCRIPTOR_CONTROL flags = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &flags, &revision);
    return flags;
}

TEST(ProtectedAccess, OnlySystemAndAdministratorsMayChangeWhatTheyGuard) {
    for (const wchar_t* text : {kInstallFolderAccess, kPrivateFolderAccess, kInstanceMutexAccess}) {
        SCOPED_TRACE(text);
        const SecurityDescriptor descriptor(text);
        ASSERT_TRUE(descriptor);
        // Nothing of the parent's list is taken over.
        EXPECT_TRUE(control(descriptor.get()) & SE_DACL_PROTECTED);
        EXPECT_TRUE(grantsWrite(descriptor.get(), WinLocalSystemSid));
        EXPECT_TRUE(grantsWrite(descriptor.get(), WinBuiltinAdministratorsSid));
        for (WELL_KNOWN_SID_TYPE other : {WinBuiltinUsersSid, WinWorldSid, WinAuthenticatedUserSid,
                                          WinCreatorOwnerSid, WinInteractiveSid})
            EXPECT_FALSE(grantsWrite(descriptor.get(), other)) << other;
    }
    // Users may run the installed product; nobody else may look into the
    // uninstaller's private folder.
    const SecurityDescriptor folder(kInstallFolderAccess), hidden(kPrivateFolderAccess);
    auto grantsRead = [](PSECURITY_DESCRIPTOR d) {
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        GetSecurityDescriptorDacl(d, &present, &dacl, &defaulted);
        for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            GetAce(dacl, i, &ace);
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            if (IsWellKnownSid(&allowed->SidStart, WinBuiltinUsersSid))
                return (allowed->Mask & (FILE_READ_DATA | FILE_EXECUTE)) == (FILE_READ_DATA | FILE_EXECUTE) &&
                       (allowed->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) ==
                           (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        }
        return false;
    };
    EXPECT_TRUE(grantsRead(folder.get()));
    EXPECT_FALSE(grantsRead(hidden.get()));
}

// The instance mutex's name taken first by someone without administrator
// rights is told from ours by its owner.
TEST(ProtectedAccess, MutexOwnerTellsOursFromAnyoneElses) {
    SecurityDescriptor ours(kInstanceMutexAccess);
    HANDLE mutex = CreateMutexW(ours.attributes(), FALSE, nullptr);
    ASSERT_TRUE(mutex);
    EXPECT_TRUE(ownedByAdministrators(mutex));
    CloseHandle(mutex);

    const std::wstring byThisUser = test::descriptorOwnedByThisUser();
    ASSERT_FALSE(byThisUser.empty());
    SecurityDescriptor someone(byThisUser.c_str());
    mutex = CreateMutexW(someone.attributes(), FALSE, nullptr);
    ASSERT_TRUE(mutex);
    EXPECT_FALSE(ownedByAdministrators(mutex));
    CloseHandle(mutex);
    mutex = CreateMutexW(nullptr, FALSE, nullptr);  // no owner at all
    EXPECT_FALSE(ownedByAdministrators(mutex));
    CloseHandle(mutex);
}

} // namespace
