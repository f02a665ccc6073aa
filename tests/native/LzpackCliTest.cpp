// The packer as a release engineer uses it: create, list, extract, verify;
// and the writer behind create.

#include "base/TextConvert.h"
#include "store/LzPackage.h"
#include "store/PackageFormat.h"
#include "tests/support/LiblzmaEncode.h"
#include "tests/support/PackageBytes.h"
#include "tests/support/ScratchFiles.h"
#include "tools/lzpack/PackageFileWriter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace nelvo::test;

namespace {

// A small tree like the skin folder.
fs::path makeTree(const fs::path& root) {
    std::string xml;
    for (int i = 0; i < 400; ++i) xml += "<Button name=\"b" + std::to_string(i) + "\" width=\"80\"/>\n";
    spit(root / "src/font.xml", xml);
    spit(root / "src/img/logo.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(500, '\x7f'));
    spit(root / "src/img/sub/strip.png", std::string(64, 'p'));
    spit(root / "src/readme.txt", "hello\n");
    return root / "src";
}

// Bytes that LZMA cannot shrink, the same on every run.
std::string noise(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    for (char& c : s) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return s;
}

} // namespace

TEST(Lzpack, CreateStoresWhatDoesNotCompressAndIsDeterministic) {
    const fs::path dir = scratch("create");
    const fs::path src = makeTree(dir);
    spit(src / "media/clip.wma", noise(300000, 7));
    const std::string create = " --store '*.png' " + src.string();
    ASSERT_EQ(lzpack("create " + (dir / "a.lz").string() + create).status, 0);
    ASSERT_EQ(lzpack("create " + (dir / "b.lz").string() + create).status, 0);
    EXPECT_EQ(slurp(dir / "a.lz"), slurp(dir / "b.lz"));

    const CommandResult list = lzpack("list " + (dir / "a.lz").string());
    ASSERT_EQ(list.status, 0) << list.out;
    std::istringstream lines(list.out);
    std::vector<std::string> rows;
    for (std::string l; std::getline(lines, l);) rows.push_back(l);
    ASSERT_EQ(rows.size(), 5u);
    // Sorted member names. Compressible text is compressed; "*" in a --store
    // glob also crosses "/" and stores even what would compress; what LZMA
    // cannot shrink by a few per cent is stored by itself.
    EXPECT_EQ(rows[0].substr(0, 5), "lzma ");
    EXPECT_NE(rows[0].find(" font.xml"), std::string::npos);
    EXPECT_EQ(rows[1], "stored 508 508 img/logo.png");
    EXPECT_EQ(rows[2], "stored 64 64 img/sub/strip.png");
    EXPECT_EQ(rows[3], "stored 300000 300000 media/clip.wma");
    EXPECT_EQ(rows[4], "stored 6 6 readme.txt");
    EXPECT_EQ(lzpack("verify " + (dir / "a.lz").string()).status, 0);

    // Without the glob the pictures compress.
    ASSERT_EQ(lzpack("create " + (dir / "c.lz").string() + " " + src.string()).status, 0);
    const CommandResult all = lzpack("list " + (dir / "c.lz").string());
    EXPECT_NE(all.out.find(" 64 img/sub/strip.png"), std::string::npos) << all.out;
    EXPECT_EQ(all.out.find("stored 64 64 img/sub/strip.png"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("stored 300000 300000 media/clip.wma"), std::string::npos) << all.out;
}

// A large member is tried on slices before it is compressed whole: noise is
// stored after the slices alone, text compressed whole, and both come back.
TEST(Lzpack, WriterTriesLargeMembersOnSlices) {
    const fs::path dir = scratch("slices");
    const std::string media = noise(600000, 11);
    std::string text;
    for (int i = 0; text.size() < 600000; ++i) text += "line " + std::to_string(i % 503) + " of the manual\n";
    spit(dir / "media.bin", media);
    spit(dir / "text.txt", text);

    const int out = ::open((dir / "p.lz").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(out, 0);
    nelvo::PackageFileWriter writer(out, {64 * 1024, 4, 32 * 1024});
    std::string error;
    for (const char* name : {"media.bin", "text.txt"}) {
        const int in = ::open((dir / name).c_str(), O_RDONLY);
        ASSERT_TRUE(writer.add(nelvo::utf8ToUtf16(name), in, fs::file_size(dir / name),
                               nelvo::PackageFileWriter::Packing::Best, error))
            << error;
        EXPECT_EQ(writer.lastCompressed(), name == std::string("text.txt")) << name;
        ::close(in);
    }
    // A file shorter than it was said to be is an error, not a short member.
    const int in = ::open((dir / "text.txt").c_str(), O_RDONLY);
    EXPECT_FALSE(writer.add(u"short", in, text.size() + 1, nelvo::PackageFileWriter::Packing::Stored, error));
    EXPECT_FALSE(error.empty());
    ::close(in);
    error.clear();
    ASSERT_TRUE(writer.finish(error)) << error;
    ::close(out);

    const std::string bytes = slurp(dir / "p.lz");
    const auto index = nelvo::LzPackage::open(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(index);
    EXPECT_EQ(index->members().size(), 2u);
    EXPECT_TRUE(index->find(u"media.bin")->stored());
    EXPECT_EQ(std::string(index->lookup(u"media.bin").text()), media);
    EXPECT_LT(index->find(u"text.txt")->packedSize, text.size() / 10);
    EXPECT_EQ(std::string(index->lookup(u"text.txt").text()), text);
}

// Creating, checking and extracting hold a window of a member, never the
// member: each run of the packer stays far below the member's size.
TEST(Lzpack, LargeMembersPassInBoundedMemory) {
    const fs::path dir = scratch("bounded");
    constexpr size_t kBig = 96u << 20;
    spitRepeated(dir / "src/film.bin", '\0', kBig);
    // A compressed member of the same size, encoded by liblzma (fast) with
    // the packer's dictionary.
    const std::vector<uint8_t> stream =
        liblzmaEncodeRepeated(std::string(1 << 20, '\0'), kBig >> 20, nelvo::package::kStreamDictionary);
    PackageBytes made;
    made.addRaw(u"film.bin", std::string_view(reinterpret_cast<const char*>(stream.data()), stream.size()),
                uint32_t(kBig));
    const std::vector<uint8_t> bytes = made.bytes();
    spit(dir / "lzma.lz", std::string(bytes.begin(), bytes.end()));

    const long limitKb = long(kBig / 1024 / 2);
    long peakKb = 0;
    EXPECT_EQ(lzpackPeak("create " + (dir / "stored.lz").string() + " --store * " + (dir / "src").string(), peakKb),
              0);
    EXPECT_LT(peakKb, limitKb);
    EXPECT_EQ(fs::file_size(dir / "stored.lz"), kBig + 16 + 20 + 8);
    for (const char* package : {"stored.lz", "lzma.lz"}) {
        EXPECT_EQ(lzpackPeak(std::string("verify ") + (dir / package).string(), peakKb), 0) << package;
        EXPECT_LT(peakKb, limitKb) << package;
        fs::remove_all(dir / "out");
        EXPECT_EQ(lzpackPeak(std::string("extract ") + (dir / package).string() + " -C " + (dir / "out").string(),
                             peakKb),
                  0)
            << package;
        EXPECT_LT(peakKb, limitKb) << package;
        EXPECT_TRUE(isRepeated(dir / "out/film.bin", '\0', kBig)) << package;
    }
    fs::remove_all(dir);
}

TEST(Lzpack, ExtractWritesMembersAndReplacesReadOnlyFiles) {
    const fs::path dir = scratch("extract");
    const fs::path src = makeTree(dir);
    ASSERT_EQ(lzpack("create " + (dir / "p.lz").string() + " " + src.string()).status, 0);

    spit(dir / "out/readme.txt", "old");
    chmod((dir / "out/readme.txt").c_str(), 0444);
    const CommandResult r = lzpack("extract " + (dir / "p.lz").string() + " -C " + (dir / "out").string());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(slurp(dir / "out/readme.txt"), "hello\n");
    EXPECT_EQ(slurp(dir / "out/img/sub/strip.png"), std::string(64, 'p'));
    EXPECT_EQ(slurp(dir / "out/font.xml"), slurp(src / "font.xml"));

    // Only the named members; an unknown name is an error that names it.
    const CommandResult some = lzpack("extract " + (dir / "p.lz").string() + " -C " + (dir / "some").string() +
                               " readme.txt nothere.txt");
    EXPECT_NE(some.status, 0);
    EXPECT_NE(some.out.find("nothere.txt"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "some/readme.txt"));
    EXPECT_FALSE(fs::exists(dir / "some/font.xml"));
}

TEST(Lzpack, RefusesNamesThatLeaveTheTargetFolder) {
    const fs::path dir = scratch("escape");
    // Written with the package format directly: the packer never makes such
    // names, but a package from elsewhere may hold them.
    std::vector<std::u16string> names = {u"../evil", u"/abs", u"a/../../evil", u"ok.txt", u"a\\b"};
    PackageBytes package;
    for (const std::u16string& name : names) package.add(name, "x");
    const std::vector<uint8_t> bytes = package.bytes();
    const std::string pkg(bytes.begin(), bytes.end());
    spit(dir / "bad.lz", pkg);

    const CommandResult r = lzpack("extract " + (dir / "bad.lz").string() + " -C " + (dir / "out").string());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("../evil"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "evil"));
    EXPECT_FALSE(fs::exists("/abs"));
    EXPECT_TRUE(fs::exists(dir / "out/ok.txt"));

    // A symbolic link inside the target is not followed.
    fs::create_directories(dir / "outside");
    fs::create_directories(dir / "out2");
    fs::create_directory_symlink(dir / "outside", dir / "out2/img");
    const fs::path src = makeTree(dir);
    ASSERT_EQ(lzpack("create " + (dir / "p.lz").string() + " " + src.string()).status, 0);
    EXPECT_NE(lzpack("extract " + (dir / "p.lz").string() + " -C " + (dir / "out2").string()).status, 0);
    EXPECT_FALSE(fs::exists(dir / "outside/logo.png"));
}

TEST(Lzpack, VerifyNamesTheDamagedMember) {
    const fs::path dir = scratch("verify");
    const fs::path src = makeTree(dir);
    ASSERT_EQ(lzpack("create " + (dir / "p.lz").string() + " " + src.string()).status, 0);
    std::string pkg = slurp(dir / "p.lz");
    auto index = nelvo::LzPackage::open(reinterpret_cast<const uint8_t*>(pkg.data()), pkg.size());
    ASSERT_TRUE(index);
    const auto* e = index->find(u"font.xml");
    ASSERT_TRUE(e && !e->stored());

    // Truncate font.xml's stream by claiming one more unpacked byte: a short
    // decode is damage too.
    std::string longer = pkg;
    const size_t dirAt = (uint32_t(uint8_t(pkg[pkg.size() - 4])) | uint32_t(uint8_t(pkg[pkg.size() - 3])) << 8 |
                          uint32_t(uint8_t(pkg[pkg.size() - 2])) << 16 |
                          uint32_t(uint8_t(pkg[pkg.size() - 1])) << 24) ^
                         nelvo::package::kKey;
    // font.xml sorts first, so its entry is the first in the directory.
    const uint32_t unpacked = e->unpackedSize + 1;
    for (int k = 0; k < 4; ++k) longer[dirAt + 12 + k] = char(unpacked >> (8 * k));
    spit(dir / "short.lz", longer);
    CommandResult r = lzpack("verify " + (dir / "short.lz").string());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("font.xml"), std::string::npos) << r.out;

    // Flipped bits in the stream.
    std::string flipped = pkg;
    for (size_t i = e->offset + 40; i < e->offset + 60; ++i) flipped[i] = char(flipped[i] ^ 0x5A);
    spit(dir / "flipped.lz", flipped);
    r = lzpack("verify " + (dir / "flipped.lz").string());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("font.xml"), std::string::npos) << r.out;

    // Not a package at all: a clear error with the file name.
    spit(dir / "junk.lz", "junk");
    r = lzpack("list " + (dir / "junk.lz").string());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("junk.lz"), std::string::npos);
    r = lzpack("list " + (dir / "missing.lz").string());
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("missing.lz"), std::string::npos);
}

// Trees and packages that once broke the packer (tests/native/corpus/lzpack-*).
TEST(Lzpack, HostileTreesAndPackagesGetAClearAnswer) {
    const fs::path dir = scratch("hostile");
    const fs::path corpus = NATIVE_CORPUS;

    // The package made from an empty folder lists and verifies as empty.
    fs::create_directories(dir / "empty");
    ASSERT_EQ(lzpack("create " + (dir / "empty.lz").string() + " " + (dir / "empty").string()).status, 0);
    EXPECT_EQ(slurp(dir / "empty.lz"), slurp(corpus / "lzpack-empty-package.lz"));
    for (const char* cmd : {"list ", "verify "}) {
        const CommandResult r = lzpack(cmd + (corpus / "lzpack-empty-package.lz").string());
        EXPECT_EQ(r.status, 0) << cmd << r.out;
        EXPECT_EQ(r.out, "") << cmd;
    }

    // A link loop in the tree and a folder given as package: refused, named.
    spit(dir / "loop/a", "x");
    fs::create_symlink("self", dir / "loop/self");
    CommandResult r = lzpack("create " + (dir / "loop.lz").string() + " " + (dir / "loop").string());
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("loop/self: "), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir / "loop.lz"));
    r = lzpack("list " + dir.string());
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out, "lzpack: " + dir.string() + ": cannot read: is a folder\n");

    // Links to files are packed under their own names with what they lead to.
    spit(dir / "links/a.txt", "hi\n");
    spit(dir / "outside.txt", "secret\n");
    fs::create_symlink(dir / "outside.txt", dir / "links/link.txt");
    fs::create_symlink("a.txt", dir / "links/alias.txt");
    ASSERT_EQ(lzpack("create " + (dir / "links.lz").string() + " " + (dir / "links").string()).status, 0);
    r = lzpack("list " + (dir / "links.lz").string());
    EXPECT_EQ(r.out, "stored 3 3 a.txt\nstored 3 3 alias.txt\nstored 7 7 link.txt\n");
    EXPECT_EQ(lzpack("extract " + (dir / "links.lz").string() + " -C " + (dir / "links-out").string()).status, 0);
    EXPECT_EQ(slurp(dir / "links-out/link.txt"), "secret\n");

    // A hard link lying where a temporary file could go is never written through.
    spit(dir / "victim.txt", "ORIGINAL\n");
    fs::create_directories(dir / "hard");
    fs::create_hard_link(dir / "victim.txt", dir / "hard/hl.txt.lzpack-tmp");
    r = lzpack("extract " + (corpus / "lzpack-hardlink-member.lz").string() + " -C " + (dir / "hard").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(slurp(dir / "victim.txt"), "ORIGINAL\n");
    EXPECT_TRUE(fs::exists(dir / "hard/hl.txt"));

    // A name of 250 bytes extracts like any other.
    r = lzpack("extract " + (corpus / "lzpack-250-byte-name.lz").string() + " -C " + (dir / "long").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::exists(dir / "long" / std::string(250, 'b')));

    // Two names that differ only in an unpaired surrogate would be one file:
    // the second is refused, not silently lost.
    r = lzpack("extract " + (corpus / "lzpack-lone-surrogate-names.lz").string() + " -C " + (dir / "lone").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("would be written to the same file"), std::string::npos) << r.out;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "lone"), fs::directory_iterator()), 1);

    // One member, one line: a newline inside a name is escaped.
    r = lzpack("list " + (corpus / "lzpack-newline-name.lz").string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "stored 1 1 ok.txt\\nstored 1 1 injected\n");
}
