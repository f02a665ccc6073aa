// Writing package members to files: replacing read-only targets, absent and
// damaged members.

#include "base/UniqueHandle.h"
#include "store/LzPackage.h"
#include "store/MemberFile.h"
#include "store/PackageFormat.h"
#include "tests/support/PackageBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace nelvo;

namespace {

// A package with a stored member "a/b.txt" = "stored text" and a
// compressed member "bad.bin" whose stream is garbage.
std::vector<uint8_t> makePackage() {
    using namespace nelvo::package;
    std::string garbage(1, char(kPropsByte));
    for (int i = 0; i < 4; ++i) garbage.push_back(char(kAnnouncedDictionary >> (8 * i)));
    for (int i = 0; i < 32; ++i) garbage.push_back(char(0xFF - i));
    return test::PackageBytes().add(u"a/b.txt", "stored text").addRaw(u"bad.bin", garbage, 5000).bytes();
}

std::wstring tempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::string readAll(const std::wstring& path) {
    UniqueFileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return "<missing>";
    char buf[256];
    DWORD read = 0;
    ReadFile(f.get(), buf, sizeof buf, &read, nullptr);
    return std::string(buf, read);
}

} // namespace

TEST(MemberFile, ReplacesAReadOnlyTargetWithANormalFile) {
    const auto bytes = makePackage();
    auto pkg = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(pkg);
    const std::wstring target = tempFile(L"nelvo-member-ro.txt");
    {
        UniqueFileHandle f(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_READONLY, nullptr));
        ASSERT_TRUE(f);
        DWORD w;
        WriteFile(f.get(), "old content, longer", 19, &w, nullptr);
    }
    ASSERT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(extractMember(*pkg, u"a/b.txt", target));
    EXPECT_EQ(readAll(target), "stored text");
    EXPECT_FALSE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY);
    DeleteFileW(target.c_str());
}

TEST(MemberFile, AbsentMemberChangesNothing) {
    const auto bytes = makePackage();
    auto pkg = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(pkg);
    const std::wstring target = tempFile(L"nelvo-member-keep.txt");
    {
        UniqueFileHandle f(
            CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD w;
        WriteFile(f.get(), "keep", 4, &w, nullptr);
    }
    EXPECT_FALSE(extractMember(*pkg, u"A/B.txt", target));
    EXPECT_FALSE(extractMember(*pkg, u"a\\b.txt", target));
    EXPECT_EQ(readAll(target), "keep");
    DeleteFileW(target.c_str());
}

// The temporary files of member writes in the temporary folder.
int temporaryWrites() {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(tempFile(L"nlw*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return count;
}

// A write that cannot be completed leaves the previous file whole, or no
// file, and no temporary file: a damaged member, a folder at the name.
TEST(MemberFile, FailedWritesLeaveTheTargetAsItWas) {
    const auto bytes = makePackage();
    auto pkg = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(pkg);
    const int before = temporaryWrites();
    const std::wstring target = tempFile(L"nelvo-member-bad.bin");
    DeleteFileW(target.c_str());
    EXPECT_FALSE(extractMember(*pkg, u"bad.bin", target));
    EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES) << "what decoded was written";
    {
        UniqueFileHandle f(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD w;
        WriteFile(f.get(), "previous", 8, &w, nullptr);
    }
    EXPECT_FALSE(extractMember(*pkg, u"bad.bin", target));
    EXPECT_EQ(readAll(target), "previous");
    DeleteFileW(target.c_str());

    const std::wstring folder = tempFile(L"nelvo-member-folder.txt");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_FALSE(extractMember(*pkg, u"a/b.txt", folder));
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(temporaryWrites(), before) << "a temporary file stayed";
}

TEST(MemberFile, MissingFolderFails) {
    const auto bytes = makePackage();
    auto pkg = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(pkg);
    EXPECT_FALSE(extractMember(*pkg, u"a/b.txt", tempFile(L"nelvo-no-such-folder\\b.txt")));
}
