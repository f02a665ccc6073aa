// Writing package members to files: replacing read-only targets, absent and
// damaged members.

#include "host/LzPackage.h"
#include "host/MemberFile.h"
#include "host/PackageFormat.h"
#include "host/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace nelvo;

namespace {

// A package with a stored member "a/b.txt" = "stored text" and, when
// `damaged`, a compressed member "bad.bin" whose stream is garbage.
std::vector<uint8_t> makePackage() {
    using namespace nelvo::package;
    const std::string content = "stored text";
    std::vector<uint8_t> p(content.begin(), content.end());
    const size_t badAt = p.size();
    p.push_back(kPropsByte);
    for (int i = 0; i < 4; ++i) p.push_back(uint8_t(kAnnouncedDictionary >> (8 * i)));
    for (int i = 0; i < 32; ++i) p.push_back(uint8_t(0xFF - i));
    const uint32_t dir = uint32_t(p.size());
    auto put = [&](uint32_t v) {
        uint8_t b[4];
        writeLe32(b, v);
        p.insert(p.end(), b, b + 4);
    };
    auto entry = [&](const std::u16string& name, uint32_t off, uint32_t packed, uint32_t unpacked) {
        std::vector<uint8_t> field(((name.size() + 1) * 2 + 3) & ~size_t(3), 0);
        for (size_t i = 0; i < name.size(); ++i) {
            field[2 * i] = uint8_t(name[i]);
            field[2 * i + 1] = uint8_t(name[i] >> 8);
        }
        for (size_t i = 0; i < field.size(); i += 4) writeLe32(&field[i], readLe32(&field[i]) ^ kKey);
        put(uint32_t(16 + field.size()));
        put(off);
        put(packed);
        put(unpacked);
        p.insert(p.end(), field.begin(), field.end());
    };
    entry(u"a/b.txt", 0, uint32_t(content.size()), 0);
    entry(u"bad.bin", uint32_t(badAt), 37, 5000);
    put(0);
    put(dir ^ kKey);
    return p;
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

TEST(MemberFile, DamagedMemberIsNotReportedAsWritten) {
    const auto bytes = makePackage();
    auto pkg = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(pkg);
    const std::wstring target = tempFile(L"nelvo-member-bad.bin");
    EXPECT_FALSE(extractMember(*pkg, u"bad.bin", target));
    DeleteFileW(target.c_str());
}

TEST(MemberFile, MissingFolderFails) {
    const auto bytes = makePackage();
    auto pkg = LzPackage::open(bytes.data(), bytes.size());
    ASSERT_TRUE(pkg);
    EXPECT_FALSE(extractMember(*pkg, u"a/b.txt", tempFile(L"nelvo-no-such-folder\\b.txt")));
}
