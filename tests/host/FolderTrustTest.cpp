// Whether a folder may hold what administrators will run: the rules of
// base/FolderTrust.h over folders described in the test by the security
// descriptors Windows gives them (Wine keeps none on files), read as the
// programs read a real one (describeSecurity).

#include "base/FolderTrust.h"
#include "base/ProtectedAccess.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <map>
#include <set>

using namespace nelvo;

namespace {

// Owners and access lists as Windows sets them.
const std::wstring kTrustedInstaller = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const std::wstring kAlice = L"S-1-5-21-1004336348-1177238915-682003330-1001";
// A drive root: Authenticated Users may add folders, and change what is
// made inside (inherit only).
const std::wstring kRoot = L"O:SYD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)";
const std::wstring kProgramFiles =
    L"O:" + kTrustedInstaller + L"D:P(A;;FA;;;" + kTrustedInstaller +
    L")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)";
// Made by an administrator below a root: it inherits the root's entries, so
// Authenticated Users may modify (and rename) it.
const std::wstring kAdministratorsUnderRoot =
    L"O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;OICIID;0x1301bf;;;AU)";
// Made by the user himself: his, whatever its list.
const std::wstring kAlices = L"O:" + kAlice + L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// Administrators' and SYSTEM's alone; a creator-owner entry applies only
// to what is made inside.
const std::wstring kSystems = L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)";

// Administrators' with no access list at all, which lets everyone in.
const std::wstring kNoList = L"O:BAD:NO_ACCESS_CONTROL";

struct Described {
    std::wstring descriptor;  // empty: unreadable
    bool folder = true;
    bool link = false;
};

class DescribedDisk final : public SecuritySource {
public:
    std::map<std::wstring, Described> objects;
    std::set<std::wstring> programFolders{L"C:\\Program Files", L"C:\\Program Files (x86)"};

    DescribedDisk() {
        add(L"C:\\", kRoot);
        add(L"D:\\", kRoot);
        add(L"C:\\Program Files", kProgramFiles);
        add(L"C:\\Program Files (x86)", kProgramFiles);
    }
    void add(const std::wstring& path, const std::wstring& descriptor, bool folder = true, bool link = false) {
        objects[path] = {descriptor, folder, link};
    }

    bool exists(const std::wstring& path) override { return objects.count(path) > 0; }
    bool isPlainFolder(const std::wstring& path) override {
        const auto it = objects.find(path);
        return it != objects.end() && it->second.folder && !it->second.link;
    }
    ObjectSecurity security(const std::wstring& path) override {
        const auto it = objects.find(path);
        if (it != objects.end() && it->second.descriptor == kNoList) {
            // A list that is not there at all (Wine reads the text's form of
            // it as an empty list, which would let no one in).
            SECURITY_DESCRIPTOR absolute;
            BYTE administrators[SECURITY_MAX_SID_SIZE];
            DWORD size = sizeof administrators;
            if (!InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION) ||
                !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
                !SetSecurityDescriptorOwner(&absolute, administrators, FALSE) ||
                !SetSecurityDescriptorDacl(&absolute, TRUE, nullptr, FALSE))
                return {};
            return describeSecurity(&absolute);
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (it == objects.end() || it->second.descriptor.empty() ||
            !ConvertStringSecurityDescriptorToSecurityDescriptorW(it->second.descriptor.c_str(), SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return {};
        const ObjectSecurity security = describeSecurity(descriptor);
        LocalFree(descriptor);
        return security;
    }
    bool list(const std::wstring& folder, std::vector<FolderItem>& out) override {
        for (const auto& [path, object] : objects) {
            const size_t slash = path.rfind(L'\\');
            if (path.size() > folder.size() + 1 && slash == folder.size() && path.starts_with(folder))
                out.push_back({path.substr(slash + 1), object.folder, object.link});
        }
        return true;
    }
    bool isProgramFolder(const std::wstring& folder) override { return programFolders.count(folder) > 0; }
};

std::wstring ours() { return kInstallFolderAccess; }

} // namespace

// The owners and entries a real descriptor holds, each sorted.
TEST(FolderTrust, DescriptorsAreReadAsWindowsMeansThem) {
    DescribedDisk disk;
    const ObjectSecurity root = disk.security(L"C:\\");
    ASSERT_TRUE(root.known);
    EXPECT_EQ(root.owner, Holder::System);
    EXPECT_TRUE(root.hasAccessList);
    ASSERT_EQ(root.entries.size(), 5u);
    EXPECT_EQ(root.entries[0].holder, Holder::Administrators);
    EXPECT_EQ(root.entries[3].holder, Holder::Other);
    EXPECT_TRUE(root.entries[3].inheritOnly);
    EXPECT_FALSE(root.entries[4].inheritOnly);
    EXPECT_EQ(root.entries[4].mask, uint32_t(rights::kAppendData));
    EXPECT_EQ(disk.security(L"C:\\Program Files").owner, Holder::TrustedInstaller);
    disk.add(L"C:\\open", kNoList);
    EXPECT_FALSE(disk.security(L"C:\\open").hasAccessList);
    EXPECT_TRUE(othersHold(disk.security(L"C:\\open"), rights::kWriteData));
    // What setup makes is Administrators' and lets no one else change it.
    disk.add(L"C:\\made", ours());
    EXPECT_EQ(disk.security(L"C:\\made").owner, Holder::Administrators);
    EXPECT_FALSE(othersHold(disk.security(L"C:\\made"), rights::kWriteData | rights::kAppendData |
                                                             rights::kDeleteChild | rights::kDelete |
                                                             rights::kWriteDac | rights::kWriteOwner));
    EXPECT_TRUE(othersHold(disk.security(L"C:\\made"), rights::kGenericAll | 0x1));  // Users may read
}

// An existing folder: only when it and everything in it is owned by
// Administrators, SYSTEM or TrustedInstaller and open to no one else.
TEST(FolderTrust, TheFolderAndEverythingInIt) {
    const struct {
        const wchar_t* what;
        std::wstring folder, file;
        bool link;
        FolderTrust expected;
    } cases[] = {
        {L"made by setup", ours(), L"O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)", false, FolderTrust::Protected},
        {L"SYSTEM's, a creator-owner entry", kSystems, L"O:" + kTrustedInstaller + L"D:(A;;FA;;;SY)", false,
         FolderTrust::Protected},
        {L"the user's own folder", kAlices, L"O:BAD:(A;;FA;;;BA)", false, FolderTrust::OthersCanChange},
        {L"an administrator's, Authenticated Users modify", kAdministratorsUnderRoot, L"O:BAD:(A;;FA;;;BA)", false,
         FolderTrust::OthersCanChange},
        {L"a file the user owns", ours(), L"O:" + kAlice + L"D:(A;;FA;;;BA)", false, FolderTrust::OthersCanChange},
        {L"a file Users may write", ours(), L"O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;BU)", false,
         FolderTrust::OthersCanChange},
        {L"a file Everyone may re-list", ours(), L"O:BAD:(A;;FA;;;BA)(A;;WD;;;WD)", false, FolderTrust::OthersCanChange},
        {L"a file without a list", ours(), kNoList, false, FolderTrust::OthersCanChange},
        {L"an unreadable file", ours(), L"", false, FolderTrust::OthersCanChange},
        {L"a link inside", ours(), L"O:BAD:(A;;FA;;;BA)", true, FolderTrust::OthersCanChange},
        {L"Users denied, nothing more allowed", ours(), L"O:BAD:(D;;FA;;;BU)(A;;FA;;;BA)", false,
         FolderTrust::Protected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DescribedDisk disk;
        disk.add(L"C:\\QuentNelvo", c.folder);
        disk.add(L"C:\\QuentNelvo\\Resource", ours());
        disk.add(L"C:\\QuentNelvo\\Resource\\pic", ours());
        disk.add(L"C:\\QuentNelvo\\Resource\\pic\\top.jpg", c.file, !c.link, c.link);
        disk.add(L"C:\\QuentNelvo\\Nelvo.exe", L"O:BAD:(A;;FA;;;BA)(A;;0x1200a9;;;BU)", false);
        EXPECT_EQ(judgeInstallFolder(disk, L"C:\\QuentNelvo\\"), c.expected);
    }
}

// The folders above: none may let another rename or delete the folder, or
// a folder above it, nor change who may. Program Files always passes; a
// missing folder will be made protected.
TEST(FolderTrust, TheFoldersAbove) {
    const struct {
        const wchar_t* what;
        std::wstring parent;  // of D:\Tools\QuentNelvo; empty: missing
        std::wstring root;
        FolderTrust expected;
    } cases[] = {
        {L"a protected parent below a root", ours(), kRoot, FolderTrust::Placeable},
        {L"a parent missing too", L"", kRoot, FolderTrust::Placeable},
        {L"TrustedInstaller's parent", kProgramFiles, kRoot, FolderTrust::Placeable},
        {L"the user's parent", kAlices, kRoot, FolderTrust::OthersCanMove},
        {L"a parent Authenticated Users may rename", kAdministratorsUnderRoot, kRoot, FolderTrust::OthersCanMove},
        {L"a parent Everyone may empty", L"O:BAD:P(A;;FA;;;BA)(A;;0x40;;;WD)", kRoot, FolderTrust::OthersCanMove},
        {L"a parent others may re-list", L"O:BAD:P(A;;FA;;;BA)(A;;WD;;;BU)", kRoot, FolderTrust::OthersCanMove},
        {L"a parent with no list", kNoList, kRoot, FolderTrust::OthersCanMove},
        {L"an unreadable parent", L"", L"", FolderTrust::OthersCanMove},
        {L"a root Everyone may empty", ours(), L"O:SYD:(A;;FA;;;SY)(A;;0x40;;;WD)", FolderTrust::OthersCanMove},
        {L"a root the user owns", L"", L"O:" + kAlice + L"D:(A;;FA;;;SY)", FolderTrust::OthersCanMove},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DescribedDisk disk;
        disk.add(L"D:\\", c.root);
        if (!c.parent.empty() || c.root.empty()) disk.add(L"D:\\Tools", c.parent);
        EXPECT_EQ(judgeInstallFolder(disk, L"D:\\Tools\\QuentNelvo"), c.expected);
        // The same folder made already, by setup.
        disk.add(L"D:\\Tools\\QuentNelvo", ours());
        EXPECT_EQ(judgeInstallFolder(disk, L"D:\\Tools\\QuentNelvo\\"),
                  c.expected == FolderTrust::Placeable ? FolderTrust::Protected : c.expected);
    }

    // A grandparent the user owns lets him rename the parent with the
    // installation in it.
    DescribedDisk disk;
    disk.add(L"D:\\Mine", kAlices);
    disk.add(L"D:\\Mine\\Apps", ours());
    EXPECT_EQ(judgeInstallFolder(disk, L"D:\\Mine\\Apps\\QuentNelvo"), FolderTrust::OthersCanMove);

    // Program Files ends the walk, whatever lies above it; the folder
    // inside is judged all the same.
    disk.add(L"C:\\", L"O:" + kAlice + L"D:NO_ACCESS_CONTROL");
    EXPECT_EQ(judgeInstallFolder(disk, L"C:\\Program Files (x86)\\QuentNelvo\\"), FolderTrust::Placeable);
    disk.add(L"C:\\Program Files (x86)\\QuentNelvo", kAlices);
    EXPECT_EQ(judgeInstallFolder(disk, L"C:\\Program Files (x86)\\QuentNelvo\\"), FolderTrust::OthersCanChange);
    EXPECT_EQ(judgeInstallFolder(disk, L"C:\\QuentNelvo"), FolderTrust::OthersCanMove);
    // The folder itself a link to one elsewhere, or a file.
    disk.add(L"C:\\Program Files\\Linked", ours(), true, true);
    disk.add(L"C:\\Program Files\\File", ours(), false);
    EXPECT_EQ(judgeInstallFolder(disk, L"C:\\Program Files\\Linked"), FolderTrust::OthersCanChange);
    EXPECT_EQ(judgeInstallFolder(disk, L"C:\\Program Files\\File"), FolderTrust::OthersCanChange);
    // Only a full path with a drive is judged.
    EXPECT_EQ(judgeInstallFolder(disk, L"QuentNelvo"), FolderTrust::OthersCanMove);
}
