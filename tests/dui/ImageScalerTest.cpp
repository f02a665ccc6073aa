// The resampler behind the skin's images at scales other than 96 DPI: what
// it keeps exact, the values it may produce, and what it never reads.

#include "dui/ImageScaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace nelvo {
namespace {

uint32_t pixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// Premultiplied pixels from a fixed seed: alpha anywhere, each colour at most
// alpha; every fourth pixel fully transparent, every fifth opaque, so hard
// edges between the two are everywhere.
std::vector<uint32_t> noise(size_t count, bool opaque) {
    std::mt19937 random(7);
    std::vector<uint32_t> pixels(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t a = opaque || i % 5 == 0 ? 255 : i % 4 == 0 ? 0 : random() % 256;
        pixels[i] = pixel(a, random() % (a + 1), random() % (a + 1), random() % (a + 1));
    }
    return pixels;
}

bool premultiplied(uint32_t p) {
    const uint32_t a = p >> 24;
    return ((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a;
}

TEST(ImageScaler, KeptSizesAreCopiedAndConstantsStayConstant) {
    // A 7 × 5 rectangle inside rows 10 pixels long.
    const std::vector<uint32_t> source = noise(10 * 5, false);
    std::vector<uint32_t> same(7 * 5);
    ASSERT_TRUE(scaleImage(source.data(), 10, 7, 5, same.data(), 7, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(same[y * 7 + x], source[y * 10 + x]) << x << "," << y;

    // Rows of one colour each, widened with the height kept: each row keeps
    // its colour exactly.
    std::vector<uint32_t> rows(4 * 3);
    const uint32_t colours[3] = {pixel(255, 10, 200, 30), pixel(128, 100, 0, 128), pixel(0, 0, 0, 0)};
    for (int i = 0; i < 12; ++i) rows[i] = colours[i / 4];
    std::vector<uint32_t> wide(13 * 3);
    ASSERT_TRUE(scaleImage(rows.data(), 4, 4, 3, wide.data(), 13, 3));
    for (int i = 0; i < 13 * 3; ++i) ASSERT_EQ(wide[i], colours[i / 13]) << i;

    // One translucent colour, grown, shrunk, from a single pixel and to one.
    const uint32_t tint = pixel(128, 100, 37, 0);
    const std::vector<uint32_t> flat(9 * 6, tint);
    const int sizes[][4] = {{9, 6, 18, 12}, {9, 6, 14, 9}, {9, 6, 3, 2}, {9, 6, 1, 1}, {1, 1, 37, 5}, {9, 6, 40, 1}};
    for (const auto& s : sizes) {
        std::vector<uint32_t> out(size_t(s[2] * s[3]));
        ASSERT_TRUE(scaleImage(flat.data(), s[0], s[0], s[1], out.data(), s[2], s[3]));
        for (uint32_t p : out) ASSERT_EQ(p, tint) << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
    }
}

TEST(ImageScaler, ResultsArePremultipliedOpaqueStaysOpaqueEdgesStaySharp) {
    // Hard edges make the cubic overshoot: the clamps must hold every result
    // to a valid premultiplied value, whatever the ratio.
    const std::vector<uint32_t> mixed = noise(16 * 16, false);
    const std::vector<uint32_t> opaque = noise(16 * 16, true);
    for (const int size : {24, 32, 7, 50, 16, 3}) {
        std::vector<uint32_t> out(size_t(size * (size + 3))), portable(out.size());
        ASSERT_TRUE(scaleImage(mixed.data(), 16, 16, 16, out.data(), size, size + 3));
        for (uint32_t p : out) ASSERT_TRUE(premultiplied(p)) << std::hex << p << " at " << std::dec << size;
        // Without the vector unit: the very same pixels.
        ASSERT_TRUE(scaleImagePortable(mixed.data(), 16, 16, 16, portable.data(), size, size + 3));
        ASSERT_EQ(portable, out) << size;
        ASSERT_TRUE(scaleImage(opaque.data(), 16, 16, 16, out.data(), size, size + 3));
        for (uint32_t p : out) ASSERT_EQ(p >> 24, 255u) << "an opaque image scales opaque, at " << size;
    }

    // A ramp down the rows, grown and shrunk: the rows come in their order,
    // so the ramp still only rises.
    std::vector<uint32_t> ramp(3 * 40);
    for (int i = 0; i < 3 * 40; ++i) ramp[i] = pixel(255, 6 * (i / 3), 6 * (i / 3), 6 * (i / 3));
    for (const int rows : {97, 61, 13, 5}) {
        std::vector<uint32_t> out(size_t(3 * rows));
        ASSERT_TRUE(scaleImage(ramp.data(), 3, 3, 40, out.data(), 3, rows));
        for (int y = 1; y < rows; ++y) ASSERT_LE(out[(y - 1) * 3] & 0xFF, out[y * 3] & 0xFF) << y << " of " << rows;
        EXPECT_GT(out[(rows - 1) * 3] & 0xFF, 200u);
    }

    // Black then white, doubled: the edge stays within the two pixels
    // around it instead of a ramp across the image.
    const uint32_t black = pixel(255, 0, 0, 0), white = pixel(255, 255, 255, 255);
    const std::vector<uint32_t> edge{black, black, black, white, white, white};
    std::vector<uint32_t> doubled(12);
    ASSERT_TRUE(scaleImage(edge.data(), 6, 6, 1, doubled.data(), 12, 1));
    for (int x = 0; x < 5; ++x) EXPECT_EQ(doubled[x], black) << x;
    for (int x = 7; x < 12; ++x) EXPECT_EQ(doubled[x], white) << x;
    EXPECT_LT(doubled[5] & 0xFF, 0x80u);
    EXPECT_GT(doubled[6] & 0xFF, 0x80u);
}

TEST(ImageScaler, ReadsOnlyInsideTheSourceRectangle) {
    // A strip of three 5 × 4 frames in rows 8 pixels long; the middle one is
    // blue, everything around it red. The last frame ends the buffer, so a
    // read past its last pixel is an overflow the sanitizers see.
    const uint32_t red = pixel(255, 255, 0, 0), blue = pixel(200, 0, 0, 200);
    std::vector<uint32_t> strip(8 * 12, red);
    for (int y = 4; y < 8; ++y)
        for (int x = 3; x < 8; ++x) strip[y * 8 + x] = blue;
    const std::pair<int, int> sizes[] = {{10, 8}, {8, 6}, {2, 2}, {5, 13}, {23, 1}};
    for (const auto& size : sizes) {
        std::vector<uint32_t> out(size_t(size.first * size.second));
        ASSERT_TRUE(scaleImage(strip.data() + 4 * 8 + 3, 8, 5, 4, out.data(), size.first, size.second));
        for (uint32_t p : out)
            ASSERT_EQ(p, blue) << "no red from the neighbours at " << size.first << "x" << size.second;
        ASSERT_TRUE(scaleImage(strip.data() + 8 * 8 + 3, 8, 5, 4, out.data(), size.first, size.second));
        for (uint32_t p : out) ASSERT_EQ(p, red);
    }
}

TEST(ImageScaler, RefusesSizesItCannotServeWithoutWritingAnything) {
    const std::vector<uint32_t> source(4 * 4, pixel(255, 1, 2, 3));
    std::vector<uint32_t> out(16, 0xDEADBEEF);
    const int refused[][5] = {
        {4, 0, 4, 4, 4},           {4, 4, -1, 4, 4},  {4, 4, 4, 0, 4}, {4, 4, 4, 4, -3},
        {3, 4, 4, 4, 4},  // stride shorter than a row
    };
    for (const auto& r : refused)
        EXPECT_FALSE(scaleImage(source.data(), r[0], r[1], r[2], out.data(), r[3], r[4]));
    EXPECT_FALSE(scaleImage(nullptr, 4, 4, 4, out.data(), 4, 4));
    // Too large a target: a side, then the pixel count, then the work
    // between the passes (source height × target width).
    EXPECT_FALSE(scaleImage(source.data(), 4, 4, 4, out.data(), kMaxScaledSide + 1, 1));
    EXPECT_FALSE(scaleImage(source.data(), 4, 4, 4, out.data(), 1 << 13, (1 << 11) + 1));
    EXPECT_FALSE(scaleImage(source.data(), 1, 1, (1 << 9) + 1, out.data(), 1 << 15, 1));
    for (uint32_t p : out) EXPECT_EQ(p, 0xDEADBEEFu);
    // The smallest sizes are served.
    ASSERT_TRUE(scaleImage(source.data(), 4, 4, 4, out.data(), 1, 1));
    EXPECT_EQ(out[0], pixel(255, 1, 2, 3));
    EXPECT_EQ(out[1], 0xDEADBEEFu);
}

} // namespace
} // namespace nelvo
