// Packages written without our writer (streams from liblzma, with and without
// end marker, stored members, duplicates, padded name fields) must read the
// same through the packer; packages from the packer must decode with a reader
// that shares no code with ours.

#include "store/LzPackage.h"
#include "tests/support/LiblzmaEncode.h"
#include "tests/support/ScratchFiles.h"
#include "tools/lzpack/PackageWriter.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace nelvo::test;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kKey = 0x5B3E91C7;

void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
uint32_t get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

std::string liblzmaDecode(const uint8_t* packed, size_t packedSize, size_t unpackedSize) {
    lzma_options_lzma opt{};
    const uint8_t b = packed[0];
    opt.lc = b % 9;
    opt.lp = (b / 9) % 5;
    opt.pb = b / 45;
    opt.dict_size = uint32_t(packed[1]) | uint32_t(packed[2]) << 8 | uint32_t(packed[3]) << 16 |
                    uint32_t(packed[4]) << 24;
    opt.ext_size_low = uint32_t(unpackedSize);
    opt.ext_size_high = 0;
    opt.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream strm = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_raw_decoder(&strm, filters), LZMA_OK);
    std::string out(unpackedSize, '\0');
    strm.next_in = packed + 5;
    strm.avail_in = packedSize - 5;
    strm.next_out = reinterpret_cast<uint8_t*>(out.data());
    strm.avail_out = out.size();
    const lzma_ret r = lzma_code(&strm, LZMA_FINISH);
    EXPECT_EQ(r, LZMA_STREAM_END);
    out.resize(strm.total_out);
    lzma_end(&strm);
    return out;
}

struct Member {
    std::u16string name;
    std::string content;
    enum Kind { Stored, WithEndMarker, WithoutEndMarker } kind;
    int extraZeroWords;
};

// The format written from its description, directory entries in reverse
// order of the data to show that the reader does not rely on ordering.
Bytes independentWrite(const std::vector<Member>& members) {
    Bytes out;
    struct Dir {
        uint32_t offset, packed, unpacked;
    };
    std::vector<Dir> dirs;
    for (const Member& m : members) {
        Dir d{uint32_t(out.size()), 0, 0};
        if (m.kind == Member::Stored) {
            out.insert(out.end(), m.content.begin(), m.content.end());
            d.packed = uint32_t(m.content.size());
        } else {
            const Bytes p = liblzmaEncode(m.content, m.kind == Member::WithEndMarker);
            out.insert(out.end(), p.begin(), p.end());
            d.packed = uint32_t(p.size());
            d.unpacked = uint32_t(m.content.size());
        }
        dirs.push_back(d);
    }
    const uint32_t dirOffset = uint32_t(out.size());
    for (size_t i = members.size(); i-- > 0;) {
        const Member& m = members[i];
        Bytes field;
        for (char16_t c : m.name) {
            field.push_back(uint8_t(c));
            field.push_back(uint8_t(c >> 8));
        }
        field.push_back(0);
        field.push_back(0);
        while (field.size() % 4) field.push_back(0);
        for (int k = 0; k < m.extraZeroWords; ++k) put32(field, 0);
        for (size_t k = 0; k < field.size(); k += 4) {
            const uint32_t w = get32(field, k) ^ kKey;
            for (int j = 0; j < 4; ++j) field[k + j] = uint8_t(w >> (8 * j));
        }
        put32(out, uint32_t(16 + field.size()));
        put32(out, dirs[i].offset);
        put32(out, dirs[i].packed);
        put32(out, dirs[i].unpacked);
        out.insert(out.end(), field.begin(), field.end());
    }
    put32(out, 0);
    put32(out, dirOffset ^ kKey);
    return out;
}

// Reads the format from its description: name -> content, later entries
// replacing earlier ones.
std::map<std::u16string, std::string> independentRead(const Bytes& pkg) {
    std::map<std::u16string, std::string> result;
    size_t pos = get32(pkg, pkg.size() - 4) ^ kKey;
    for (;;) {
        const uint32_t len = get32(pkg, pos);
        if (len == 0) break;
        const uint32_t offset = get32(pkg, pos + 4), packed = get32(pkg, pos + 8), unpacked = get32(pkg, pos + 12);
        std::u16string name;
        for (size_t k = 16; k + 4 <= len; k += 4) {
            const uint32_t w = get32(pkg, pos + k) ^ kKey;
            const char16_t a = char16_t(w & 0xFFFF), b = char16_t(w >> 16);
            if (a == 0) break;
            name.push_back(a);
            if (b == 0) break;
            name.push_back(b);
        }
        if (unpacked == 0)
            result[name] = std::string(pkg.begin() + offset, pkg.begin() + offset + packed);
        else
            result[name] = liblzmaDecode(pkg.data() + offset, packed, unpacked);
        pos += len;
    }
    return result;
}

std::string text(size_t n, int seed) {
    std::string s;
    unsigned x = unsigned(seed);
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        s += "word" + std::to_string((x >> 16) % 50) + ((x >> 8) % 7 ? " " : "\n");
    }
    s.resize(n);
    return s;
}

} // namespace

TEST(IndependentFormat, ForeignPackagesListAndExtractWithThePacker) {
    const std::vector<Member> members = {
        {u"mainframe.xml", text(50000, 1), Member::WithEndMarker, 0},
        {u"skin/a.png", text(3000, 2), Member::Stored, 3},
        {u"Effect/bg/black.efc", text(120000, 3), Member::WithoutEndMarker, 0},
        {u"dup.txt", "first", Member::Stored, 0},
        {u"dup.txt", text(999, 4), Member::WithoutEndMarker, 1},
        {u"empty", "", Member::Stored, 0},
    };
    const Bytes pkg = independentWrite(members);

    // Our index agrees with the independent reader on every member.
    auto index = nelvo::LzPackage::open(pkg.data(), pkg.size());
    ASSERT_TRUE(index);
    const auto expected = independentRead(pkg);
    ASSERT_EQ(index->members().size(), expected.size());
    for (const auto& [name, content] : expected) {
        nelvo::HeapBlock b;
        EXPECT_EQ(index->lookupChecked(name, b), nelvo::LzPackage::Decode::Ok);
        EXPECT_EQ(std::string(b.text()), content);
    }

    const auto dir = scratch("foreign");
    {
        std::ofstream(dir / "pkg.lz", std::ios::binary).write(reinterpret_cast<const char*>(pkg.data()), pkg.size());
    }
    const CommandResult list = lzpack("list " + (dir / "pkg.lz").string());
    EXPECT_EQ(list.status, 0);
    const std::string& listing = list.out;
    // Directory order is the reverse of the member order here.
    std::istringstream lines(listing);
    std::string line;
    std::vector<std::string> got;
    while (std::getline(lines, line)) got.push_back(line);
    ASSERT_EQ(got.size(), members.size());
    EXPECT_EQ(got[0], "stored 0 0 empty");
    EXPECT_EQ(got[5].substr(got[5].rfind(' ') + 1), "mainframe.xml");
    EXPECT_EQ(got[2].substr(0, 11), "stored 5 5 ");

    EXPECT_EQ(lzpack("extract " + (dir / "pkg.lz").string() + " -C " + (dir / "out").string()).status, 0);
    EXPECT_EQ(slurp(dir / "out/Effect/bg/black.efc"), members[2].content);
    // The directory is reversed, so the entry written for the first "dup.txt"
    // comes later and wins.
    EXPECT_EQ(slurp(dir / "out/dup.txt"), "first");
    EXPECT_EQ(slurp(dir / "out/skin/a.png"), members[1].content);
    EXPECT_TRUE(std::filesystem::exists(dir / "out/empty"));

    EXPECT_EQ(lzpack("verify " + (dir / "pkg.lz").string()).status, 0);
}

TEST(IndependentFormat, PackerOutputDecodesWithAnIndependentReader) {
    nelvo::PackageWriter w;
    const std::string a = text(400000, 7), b = text(10, 8);
    ASSERT_TRUE(w.add(u"a/b/c.dat", a, true));
    ASSERT_TRUE(w.add(u"名字.txt", b, false));
    ASSERT_TRUE(w.add(u"x", "x", true));
    const auto got = independentRead(w.finish());
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got.at(u"a/b/c.dat"), a);
    EXPECT_EQ(got.at(u"名字.txt"), b);
    EXPECT_EQ(got.at(u"x"), "x");
}
