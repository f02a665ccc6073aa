// The package reader against packages made by the packer and by hand.

#include "store/ByteSource.h"
#include "store/LzPackage.h"
#include "store/LzmaDecoder.h"
#include "store/PackageFormat.h"
#include "tools/lzpack/LzmaEncoder.h"
#include "tools/lzpack/PackageWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace nelvo;
using namespace nelvo::package;

namespace {

using Bytes = std::vector<uint8_t>;

std::string asText(const HeapBlock& b) { return std::string(b.text()); }

std::string sampleText(size_t n) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i % 97) + " of the licence text\r\n";
    s.resize(n);
    return s;
}

// A package of one stored member "a.txt" = "hello", built by hand so that
// single fields can be broken.
Bytes handMade() {
    Bytes p = {'h', 'e', 'l', 'l', 'o'};
    const Bytes field = scrambledNameField(u"a.txt");
    appendEntry(p, 0, 5, 0, field);
    appendTrailer(p, 5);
    return p;
}

std::unique_ptr<LzPackage> openBytes(const Bytes& b, std::string* error = nullptr) {
    return LzPackage::open(b.data(), b.size(), error);
}

} // namespace

TEST(LzPackage, RoundTripsStoredAndCompressedMembers) {
    PackageWriter w;
    const std::string big = sampleText(300000);
    ASSERT_TRUE(w.add(u"mainframe.xml", big, true));
    ASSERT_TRUE(w.add(u"skin/logo.png", std::string("\x89PNG\r\n\x1a\n\0\0raw", 13), false));
    ASSERT_TRUE(w.add(u"empty.txt", "", true));
    ASSERT_TRUE(w.add(u"中文/说明.txt", "文字", true));
    const Bytes pkg = w.finish();
    auto index = openBytes(pkg);
    ASSERT_TRUE(index);

    // A compressed member decodes to exactly its unpacked size.
    HeapBlock xml = index->lookup(u"mainframe.xml");
    ASSERT_TRUE(xml);
    EXPECT_EQ(xml.size(), big.size());
    EXPECT_EQ(asText(xml), big);
    EXPECT_LT(index->find(u"mainframe.xml")->packedSize, big.size() / 10);

    // A stored member comes back byte for byte with size packed_size.
    HeapBlock png = index->lookup(u"skin/logo.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png.size(), 13u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n\0\0raw", 13), 0);

    HeapBlock empty = index->lookup(u"empty.txt");
    EXPECT_TRUE(empty);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(asText(index->lookup(u"中文/说明.txt")), "文字");

    // The packer's header: properties byte 0x5D and a 64 MiB dictionary.
    const auto* e = index->find(u"mainframe.xml");
    EXPECT_EQ(pkg[e->offset], 0x5D);
    EXPECT_EQ(readLe32(&pkg[e->offset + 1]), 64u << 20);
}

TEST(LzPackage, NamesMatchExactly) {
    PackageWriter w;
    ASSERT_TRUE(w.add(u"Font.xml", "x", false));
    const Bytes pkg = w.finish();
    auto index = openBytes(pkg);
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->lookup(u"Font.xml"));
    EXPECT_FALSE(index->lookup(u"font.xml"));
    EXPECT_FALSE(index->lookup(u"Font.xml "));
    EXPECT_FALSE(index->lookup(u"Font"));
    // Separators are part of the name: only "/" is stored.
    EXPECT_FALSE(index->lookup(u"skin\\Font.xml"));
}

TEST(LzPackage, LaterDuplicateWins) {
    PackageWriter w;
    ASSERT_TRUE(w.add(u"dup", "first", false));
    ASSERT_TRUE(w.add(u"other", "x", true));
    ASSERT_TRUE(w.add(u"dup", "second, compressed", true));
    const Bytes pkg = w.finish();
    auto index = openBytes(pkg);
    ASSERT_TRUE(index);
    EXPECT_EQ(asText(index->lookup(u"dup")), "second, compressed");
    EXPECT_EQ(index->members().size(), 2u);
    EXPECT_EQ(index->directory().size(), 3u);
}

TEST(LzPackage, PaddedNameFieldGivesTheSameName) {
    Bytes p = {'h', 'i'};
    Bytes field = scrambledNameField(u"a.txt");
    // Eight more zero units (scrambled zero words are the key itself).
    for (int i = 0; i < 4; ++i) {
        uint8_t k[4];
        writeLe32(k, kKey);
        field.insert(field.end(), k, k + 4);
    }
    appendEntry(p, 0, 2, 0, field);
    appendTrailer(p, 2);
    auto index = openBytes(p);
    ASSERT_TRUE(index);
    EXPECT_EQ(asText(index->lookup(u"a.txt")), "hi");
}

TEST(LzPackage, NameFieldLimits) {
    // The longest accepted field: 1024 units.
    const std::u16string longest(1023, u'n');
    PackageWriter w;
    ASSERT_TRUE(w.add(longest, "ok", false));
    EXPECT_TRUE(openBytes(w.finish()));

    // One word more is refused.
    Bytes p = {'x'};
    Bytes field = scrambledNameField(std::u16string(1025, u'n'));
    ASSERT_GT(field.size(), kMaxNameFieldBytes);
    appendEntry(p, 0, 1, 0, field);
    appendTrailer(p, 1);
    std::string error;
    EXPECT_FALSE(openBytes(p, &error));
    EXPECT_NE(error.find("1024"), std::string::npos);
}

TEST(LzPackage, RefusesMalformedPackages) {
    struct Case {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    const Bytes good = handMade();
    ASSERT_TRUE(openBytes(good));

    cases.push_back({"empty", {}});
    cases.push_back({"7 bytes", Bytes(7, 0)});
    cases.push_back({"8 zero bytes", Bytes(8, 0)});  // directory offset = key, far outside
    {
        Bytes b = good;  // directory offset past the end
        writeLe32(&b[b.size() - 4], uint32_t(b.size() + 100) ^ kKey);
        cases.push_back({"offset past end", b});
    }
    {
        Bytes b = good;  // directory offset pointing at the trailer's last word
        writeLe32(&b[b.size() - 4], uint32_t(b.size() - 4) ^ kKey);
        cases.push_back({"offset at trailer", b});
    }
    {
        Bytes b = good;  // entry_len below 16
        writeLe32(&b[5], 12);
        cases.push_back({"entry_len 12", b});
    }
    {
        Bytes b = good;  // entry_len past the end
        writeLe32(&b[5], 4000);
        cases.push_back({"entry_len past end", b});
    }
    {
        Bytes b = good;  // entry_len huge (offset arithmetic must not wrap)
        writeLe32(&b[5], 0xFFFFFFF0u);
        cases.push_back({"entry_len wraps", b});
    }
    {
        Bytes b = good;  // member offset outside
        writeLe32(&b[5 + 4], 0xFFFFFFFFu);
        cases.push_back({"member offset", b});
    }
    {
        Bytes b = good;  // member size outside
        writeLe32(&b[5 + 8], 1000);
        cases.push_back({"member size", b});
    }
    {
        Bytes b = good;  // compressed member too small for its properties
        writeLe32(&b[5 + 8], 3);
        writeLe32(&b[5 + 12], 100);
        cases.push_back({"no properties", b});
    }
    {
        Bytes b = good;  // no terminating zero: the trailer's zero word overwritten
        writeLe32(&b[b.size() - 8], 16);
        cases.push_back({"no terminator", b});
    }
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(openBytes(c.bytes, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(LzPackage, DamagedStreamYieldsAShortBlock) {
    const std::string text = sampleText(200000);
    PackageWriter w;
    ASSERT_TRUE(w.add(u"m", text, true));
    Bytes pkg = w.finish();
    auto index = openBytes(pkg);
    ASSERT_TRUE(index);
    const auto e = *index->find(u"m");

    // Cut the stream short: the member's directory entry claims more bytes
    // than the stream holds.
    Bytes cut = pkg;
    const uint32_t shorter = e.packedSize / 2;
    auto cutIndex = LzPackage::open(cut.data(), cut.size());
    ASSERT_TRUE(cutIndex);
    LzPackage::Entry half = e;
    half.packedSize = shorter;
    HeapBlock partial;
    EXPECT_EQ(cutIndex->decodeEntry(half, partial), LzPackage::Decode::Damaged);
    EXPECT_LT(partial.size(), text.size());
    EXPECT_EQ(std::string(partial.text()), text.substr(0, partial.size()));

    // Garbage in the middle of the stream: lookup() still returns a block,
    // lookupChecked() says it is damaged; nothing reads out of bounds.
    for (size_t i = e.offset + e.packedSize / 3; i < e.offset + e.packedSize / 3 + 16; ++i) pkg[i] ^= 0xA5;
    index = openBytes(pkg);
    ASSERT_TRUE(index);
    HeapBlock b;
    EXPECT_EQ(index->lookupChecked(u"m", b), LzPackage::Decode::Damaged);
    EXPECT_TRUE(index->lookup(u"m"));

    // Invalid properties (lc/lp/pb byte out of range) decode nothing.
    pkg[e.offset] = 0xFF;
    index = openBytes(pkg);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->lookupChecked(u"m", b), LzPackage::Decode::Damaged);
    EXPECT_EQ(b.size(), 0u);
}

TEST(LzPackage, UnallocatableMemberIsAbsent) {
    // A 4 GiB - 1 unpacked size: the block cannot be had (or the stream is
    // far too short), and nothing crashes either way.
    PackageWriter w;
    ASSERT_TRUE(w.add(u"m", "abc", true));
    Bytes pkg = w.finish();
    auto index = openBytes(pkg);
    ASSERT_TRUE(index);
    LzPackage::Entry huge = *index->find(u"m");
    huge.unpackedSize = 0xFFFFFFFFu;
    HeapBlock b;
    const auto r = index->decodeEntry(huge, b);
    EXPECT_TRUE(r == LzPackage::Decode::NoMemory || r == LzPackage::Decode::Damaged);
}

TEST(LzPackage, DecodesIntoTheBlockWithoutReservingTheAnnouncedDictionary) {
    const std::string text = sampleText(1200000);
    const auto packed = lzmaEncode(text);
    ASSERT_TRUE(packed);
    ASSERT_EQ(readLe32(packed->data() + 1), 64u << 20);
    std::string out(text.size(), '\0');
    const LzmaDecodeResult r = lzmaDecode(packed->data(), packed->data() + 5, packed->size() - 5,
                                          reinterpret_cast<uint8_t*>(out.data()), out.size());
    EXPECT_TRUE(r.clean);
    EXPECT_EQ(out, text);
    // Only the probability tables (about 16 KB for lc 3, lp 0) come from the
    // heap; the output block is the dictionary.
    EXPECT_LT(r.scratch, 64u * 1024);
    EXPECT_GT(r.scratch, 0u);
}

TEST(LzPackage, DecodesInPiecesThroughTheStreamWindow) {
    // Noise longer than the window, then the same noise again: a stream made
    // with a larger dictionary copies the second from the first.
    std::string noise(kStreamDictionary + 40000, '\0');
    uint32_t seed = 99;
    for (char& c : noise) c = char((seed = seed * 1103515245u + 12345u) >> 24);
    const std::string text = noise + noise + sampleText(5000);
    struct Pieces final : PieceSink {
        std::string got;
        size_t largest = 0;
        size_t refuseFrom = SIZE_MAX;
        bool take(const uint8_t* data, size_t size) override {
            largest = std::max(largest, size);
            got.append(reinterpret_cast<const char*>(data), size);
            return got.size() < refuseFrom;
        }
    };
    auto inPieces = [&](const Bytes& packed, Pieces& sink) {
        const MemorySource source(packed.data(), packed.size());
        return lzmaDecodeInPieces(packed.data(), source, kLzmaPropsSize, packed.size() - kLzmaPropsSize, text.size(),
                                  kStreamDictionary, sink);
    };
    // Made for the window, as the packer makes them: the same bytes, never
    // more than a window held.
    const auto fits = lzmaEncode(text);
    ASSERT_TRUE(fits);
    Pieces whole;
    EXPECT_TRUE(inPieces(*fits, whole).clean);
    EXPECT_EQ(whole.got, text);
    EXPECT_EQ(whole.largest, kStreamDictionary);
    // Made with a dictionary past the window: refused as damaged, never
    // given as other bytes; decoded into one block, it is whole.
    const auto far = lzmaEncode(text, kAnnouncedDictionary);
    ASSERT_TRUE(far);
    ASSERT_LT(far->size(), fits->size());
    Pieces cut;
    EXPECT_FALSE(inPieces(*far, cut).clean);
    EXPECT_LT(cut.got.size(), text.size());
    EXPECT_EQ(cut.got, text.substr(0, cut.got.size()));
    std::string out(text.size(), '\0');
    EXPECT_TRUE(lzmaDecode(far->data(), far->data() + kLzmaPropsSize, far->size() - kLzmaPropsSize,
                           reinterpret_cast<uint8_t*>(out.data()), out.size())
                    .clean);
    EXPECT_EQ(out, text);
    // A sink that refuses a piece stops it.
    Pieces refusing;
    refusing.refuseFrom = 1;
    EXPECT_FALSE(inPieces(*fits, refusing).clean);
    EXPECT_EQ(refusing.got.size(), kStreamDictionary);
    // Through a package entry, as a member goes to its file.
    PackageWriter w;
    ASSERT_TRUE(w.add(u"m", text, true));
    const Bytes pkg = w.finish();
    auto package = openBytes(pkg);
    ASSERT_TRUE(package);
    Pieces member;
    EXPECT_EQ(package->decodeEntryInPieces(*package->find(u"m"), member), LzPackage::Decode::Ok);
    EXPECT_EQ(member.got, text);
}

TEST(LzPackage, EncoderIsDeterministic) {
    const std::string text = sampleText(100000);
    EXPECT_EQ(lzmaEncode(text), lzmaEncode(text));
}

namespace {

// Package bytes that are not memory to the reader, as a file is: read a
// piece at a time, and failing every read past `readable` bytes.
class PieceSource final : public ByteSource {
public:
    explicit PieceSource(const Bytes& bytes, uint64_t readable = UINT64_MAX) : bytes_(bytes), readable_(readable) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, void* out, size_t count) const override {
        if (offset > bytes_.size() || count > bytes_.size() - offset || offset + count > readable_) return false;
        if (count) std::memcpy(out, bytes_.data() + offset, count);
        return true;
    }

private:
    const Bytes& bytes_;
    uint64_t readable_;
};

} // namespace

TEST(LzPackage, ReadThroughASourceGivesWhatTheBytesInMemoryGive) {
    PackageWriter w;
    // Members larger than the reader's window, so that streams and stored
    // bytes cross windows: bytes that hardly compress.
    std::string noise(3 * kSourceWindow + 123, '\0');
    uint32_t seed = 12345;
    for (char& c : noise) c = char((seed = seed * 1103515245u + 12345u) >> 24);
    ASSERT_TRUE(w.add(u"big.txt", noise, true));
    ASSERT_TRUE(w.add(u"raw.bin", sampleText(kSourceWindow + 7), false));
    ASSERT_TRUE(w.add(u"small.txt", "small", true));
    ASSERT_TRUE(w.add(u"empty", "", true));
    const Bytes pkg = w.finish();
    auto inMemory = openBytes(pkg);
    const PieceSource source(pkg);
    auto throughSource = LzPackage::open(source);
    ASSERT_TRUE(inMemory && throughSource);
    ASSERT_GT(inMemory->find(u"big.txt")->packedSize, 2 * kSourceWindow);
    EXPECT_EQ(throughSource->storedBytes(*throughSource->find(u"raw.bin")), nullptr);
    ASSERT_EQ(throughSource->members().size(), inMemory->members().size());
    for (const auto& [name, entry] : inMemory->members()) {
        HeapBlock a, b;
        ASSERT_EQ(inMemory->lookupChecked(name, a), LzPackage::Decode::Ok);
        ASSERT_EQ(throughSource->lookupChecked(name, b), LzPackage::Decode::Ok);
        EXPECT_EQ(asText(a), asText(b));
    }

    // Bytes that cannot be read: a member cut off is damaged, never
    // shorter-but-fine; a directory that cannot be read refuses the package.
    const LzPackage::Entry* big = inMemory->find(u"big.txt");
    std::string why;
    EXPECT_FALSE(LzPackage::open(PieceSource(pkg, pkg.size() - 4), &why));
    EXPECT_EQ(why, "the package cannot be read");
    // Every member readable but the big one's second half: the directory
    // comes from the end, so only the members themselves fail.
    class Hole final : public ByteSource {
    public:
        Hole(const Bytes& b, uint64_t from, uint64_t to) : all_(b), from_(from), to_(to) {}
        uint64_t size() const override { return all_.size(); }
        bool read(uint64_t offset, void* out, size_t count) const override {
            return (offset + count <= from_ || offset >= to_) && all_.read(offset, out, count);
        }

    private:
        PieceSource all_;
        uint64_t from_, to_;
    };
    const Hole hole(pkg, big->offset + big->packedSize / 2, big->offset + big->packedSize);
    auto holed = LzPackage::open(hole);
    ASSERT_TRUE(holed);
    HeapBlock part;
    EXPECT_EQ(holed->lookupChecked(u"big.txt", part), LzPackage::Decode::Damaged);
    EXPECT_LT(part.size(), big->unpackedSize);
    EXPECT_EQ(asText(holed->lookup(u"small.txt")), "small");
}
