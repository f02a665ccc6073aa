// Where a range of a mapped image lies in its file, from section tables made
// by hand: the sound one, and the odd ones that must be refused.

#include "store/ImageFileRange.h"
#include "store/PackageFormat.h"

#include <gtest/gtest.h>

#include <vector>

using namespace nelvo;

namespace {

struct Section {
    uint32_t address, virtualSize, rawSize, rawOffset;
};

// MS-DOS header, signature, file header, a 224-byte optional header and the
// section table, as a loader leaves them in the image's first page.
std::vector<uint8_t> headers(const std::vector<Section>& sections, uint16_t count, size_t cutTo = 4096) {
    std::vector<uint8_t> h(4096, 0);
    h[0] = 'M';
    h[1] = 'Z';
    const uint32_t pe = 0x80;
    package::writeLe32(&h[0x3C], pe);
    package::writeLe32(&h[pe], 0x00004550);
    h[pe + 4 + 2] = uint8_t(count);
    h[pe + 4 + 3] = uint8_t(count >> 8);
    h[pe + 4 + 16] = 224;
    size_t at = pe + 4 + 20 + 224;
    for (const Section& s : sections) {
        package::writeLe32(&h[at + 8], s.virtualSize);
        package::writeLe32(&h[at + 12], s.address);
        package::writeLe32(&h[at + 16], s.rawSize);
        package::writeLe32(&h[at + 20], s.rawOffset);
        at += 40;
    }
    h.resize(cutTo);
    return h;
}

} // namespace

TEST(ImageFileRange, FindsTheRangeInItsSectionAndRefusesTheOddOnes) {
    // .text, then resources whose file data ends before their virtual size.
    const std::vector<Section> sections = {{0x1000, 0x2000, 0x2000, 0x400}, {0x4000, 0x9000, 0x8000, 0x2400}};
    const uint64_t fileSize = 0xA400;
    const auto sound = headers(sections, 2);
    EXPECT_EQ(imageRangeInFile(sound, 0x4100, 0x100, fileSize), std::optional<uint64_t>(0x2500));
    EXPECT_EQ(imageRangeInFile(sound, 0x4000, 0x8000, fileSize), std::optional<uint64_t>(0x2400));
    EXPECT_EQ(imageRangeInFile(sound, 0x1000, 0x10, fileSize), std::optional<uint64_t>(0x400));

    // Past the section's file data (zeros of the loader's), across two
    // sections, in no section, or past the end of the file as it is now.
    EXPECT_FALSE(imageRangeInFile(sound, 0x4000, 0x8001, fileSize));
    EXPECT_FALSE(imageRangeInFile(sound, 0x2F00, 0x1200, fileSize));
    EXPECT_FALSE(imageRangeInFile(sound, 0xF000, 0x10, fileSize));
    EXPECT_FALSE(imageRangeInFile(sound, 0x4000, 0x8000, fileSize - 1));
    EXPECT_FALSE(imageRangeInFile(sound, 0xFFFFFFFF, 0xFFFFFFFF, UINT64_MAX));

    // A section table that runs past the mapped headers, or that claims
    // more sections than it holds in them; headers that are not an image's.
    EXPECT_FALSE(imageRangeInFile(headers(sections, 2, 0x80 + 24 + 224 + 60), 0x4100, 0x100, fileSize));
    EXPECT_FALSE(imageRangeInFile(headers(sections, 0xFFFF), 0x4100, 0x100, fileSize));
    auto notPe = sound;
    notPe[0x80] = 'N';
    EXPECT_FALSE(imageRangeInFile(notPe, 0x4100, 0x100, fileSize));
    auto farHeader = sound;
    package::writeLe32(&farHeader[0x3C], 0xFFFFFFF0);
    EXPECT_FALSE(imageRangeInFile(farHeader, 0x4100, 0x100, fileSize));
    EXPECT_FALSE(imageRangeInFile(std::span<const uint8_t>(sound.data(), 0x3F), 0x4100, 0x100, fileSize));
}
