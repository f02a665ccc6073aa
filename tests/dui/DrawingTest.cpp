// Image decoding and the image and text drawing operations, drawn into
// 32-bit DIB sections and read back pixel by pixel.

#include "tests/support/PngBytes.h"
#include "tests/support/Surface.h"

#include "dui/AlphaBlendLibrary.h"
#include "dui/ImageRecord.h"
#include "dui/TextDraw.h"

#include <gtest/gtest.h>

namespace nelvo {
namespace {

using test::pngBytes;
using test::solidPng;
using test::Surface;

std::unique_ptr<ImageRecord> decode(const std::string& bytes) {
    return ImageRecord::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Counts AlphaBlend calls and forwards them to the real entry.
class BlendSpy {
public:
    BlendSpy() {
        EXPECT_TRUE(library_.load());
        real_ = library_.function();
        previous_ = AlphaBlendLibrary::setActive(&BlendSpy::blend);
        calls_ = 0;
    }
    ~BlendSpy() { AlphaBlendLibrary::setActive(previous_); }
    static int calls() { return calls_; }

private:
    static BOOL WINAPI blend(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, int sw, int sh,
                             BLENDFUNCTION f) {
        ++calls_;
        EXPECT_EQ(f.BlendOp, AC_SRC_OVER);
        EXPECT_EQ(f.SourceConstantAlpha, 255);
        EXPECT_EQ(f.AlphaFormat, AC_SRC_ALPHA);
        return real_(d, x, y, w, h, s, sx, sy, sw, sh, f);
    }
    AlphaBlendLibrary library_;
    AlphaBlendLibrary::Function previous_ = nullptr;
    static inline AlphaBlendLibrary::Function real_ = nullptr;
    static inline int calls_ = 0;
};

TEST(ImageDecode, TranslucentPixelsArePremultipliedOpaqueOnesKept) {
    const std::vector<uint8_t> rgba{200, 100, 50, 128, 200, 100, 50, 255, 9, 8, 7, 0};
    auto image = decode(pngBytes(rgba, 3, 1));
    ASSERT_TRUE(image->bitmap());
    EXPECT_EQ(image->width(), 3);
    EXPECT_EQ(image->height(), 1);
    EXPECT_TRUE(image->hasTransparency());
    // In memory B', G', R', A: A 128, R 100, G 50, B 25.
    EXPECT_EQ(image->bits()[0], 0x80643219u);
    EXPECT_EQ(image->bits()[1], 0xFFC86432u);
    EXPECT_EQ(image->bits()[2], 0x00000000u);
    EXPECT_TRUE(image->pixels().empty()) << "pixels are released without the marker";
}

TEST(ImageDecode, MarkerByteKeepsThePixelsAndIsNotPartOfTheImage) {
    const std::vector<uint8_t> rgba{1, 2, 3, 255, 4, 5, 6, 255};
    auto image = decode("\x01" + pngBytes(rgba, 2, 1));
    ASSERT_TRUE(image->bitmap());
    EXPECT_TRUE(image->keepsPixels());
    EXPECT_FALSE(image->hasTransparency());
    EXPECT_EQ(image->pixels(), rgba);
}

TEST(ImageDecode, UndecodableBytesGiveARecordThatDrawsNothing) {
    for (const std::string& bytes : {std::string("not an image"), std::string(), std::string("\x01"),
                                     solidPng(4, 4, 1, 2, 3).substr(0, 40)}) {
        auto image = decode(bytes);
        ASSERT_TRUE(image);
        EXPECT_FALSE(image->bitmap());
        Surface s(8, 8, 0x00123456);
        image->drawStretched(s.dc(), 0, 0, 8, 8);
        image->drawNatural(s.dc(), 0, 0);
        image->drawNineGrid(s.dc(), 0, 0, 8, 8, 2, 2, 2, 2);
        image->drawPart(s.dc(), 0, 0, 8, 8, 0, 1, 1);
        EXPECT_EQ(s.rgb(3, 3), 0x123456u);
    }
}

TEST(ImageDraw, OpaqueImagesAreCopiedTranslucentOnesBlended) {
    BlendSpy spy;
    Surface s(8, 8, 0x00FF0000);
    auto opaque = decode(solidPng(2, 2, 0, 0, 255));
    opaque->drawStretched(s.dc(), 0, 0, 4, 4);
    EXPECT_EQ(BlendSpy::calls(), 0);
    EXPECT_EQ(s.rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(s.rgb(3, 3), 0x0000FFu);
    EXPECT_EQ(s.rgb(4, 4), 0xFF0000u);

    // One translucent pixel makes the whole image go through AlphaBlend; its
    // opaque pixels still cover what is below.
    std::vector<uint8_t> rgba{0, 0, 255, 255, 0, 0, 255, 128};
    auto translucent = decode(pngBytes(rgba, 2, 1));
    translucent->drawNatural(s.dc(), 4, 4);
    EXPECT_EQ(BlendSpy::calls(), 1);
    EXPECT_EQ(s.rgb(4, 4), 0x0000FFu);
    const uint32_t mixed = s.rgb(5, 4);
    EXPECT_NEAR(int(mixed >> 16), 127, 2) << std::hex << mixed;
    EXPECT_NEAR(int(mixed & 0xFF), 128, 2) << std::hex << mixed;
}

TEST(ImageDraw, WithoutAlphaBlendOnlyTranslucentImagesAreSkipped) {
    const AlphaBlendLibrary::Function saved = AlphaBlendLibrary::setActive(nullptr);
    Surface s(4, 1, 0x00FF0000);
    decode(solidPng(1, 1, 0, 255, 0, 200))->drawNatural(s.dc(), 0, 0);
    decode(solidPng(1, 1, 0, 255, 0))->drawNatural(s.dc(), 1, 0);
    EXPECT_EQ(s.rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(s.rgb(1, 0), 0x00FF00u);
    AlphaBlendLibrary::setActive(saved);
}

// A 9 × 9 image whose every pixel has its own colour.
std::vector<uint8_t> numberedPixels(int w, int h, uint8_t alpha = 255) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) rgba.insert(rgba.end(), {uint8_t(x * 25), uint8_t(y * 25), 77, alpha});
    return rgba;
}

uint32_t numbered(int x, int y) { return uint32_t(x * 25) << 16 | uint32_t(y * 25) << 8 | 77; }

TEST(ImageDraw, NineGridKeepsTheCornersUnscaled) {
    auto image = decode(pngBytes(numberedPixels(9, 9), 9, 9));
    Surface s(260, 30);
    image->drawNineGrid(s.dc(), 5, 2, 255, 27, 3, 3, 3, 3);  // 250 × 25
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(s.rgb(5 + i, 2 + j), numbered(i, j));
            EXPECT_EQ(s.rgb(252 + i, 2 + j), numbered(6 + i, j));
            EXPECT_EQ(s.rgb(5 + i, 24 + j), numbered(i, 6 + j));
            EXPECT_EQ(s.rgb(252 + i, 24 + j), numbered(6 + i, 6 + j));
        }
    // Edges stretch along one axis only: the top edge keeps its rows, the
    // left edge its columns.
    EXPECT_EQ(s.rgb(130, 2) & 0x00FF00, numbered(0, 0) & 0x00FF00);
    EXPECT_EQ(s.rgb(5, 14) & 0xFF0000, numbered(0, 0) & 0xFF0000);
    EXPECT_EQ(s.rgb(4, 2), 0u) << "nothing outside the rectangle";
    EXPECT_EQ(s.rgb(255, 27), 0u);
}

TEST(ImageDraw, TranslucentNineGridBlendsEveryPieceAndSmallRectanglesAreSafe) {
    BlendSpy spy;
    auto image = decode(pngBytes(numberedPixels(9, 9, 254), 9, 9));
    Surface s(40, 40);
    image->drawNineGrid(s.dc(), 0, 0, 40, 40, 3, 3, 3, 3);
    EXPECT_EQ(BlendSpy::calls(), 9);
    // Smaller than the margins: the empty pieces are skipped, nothing breaks.
    image->drawNineGrid(s.dc(), 0, 0, 4, 4, 3, 3, 3, 3);
    image->drawNineGrid(s.dc(), 10, 10, 5, 5, 3, 3, 3, 3);
    SUCCEED();
}

TEST(ImageDraw, PartDrawsOneFrameOfAStrip) {
    std::vector<uint8_t> rgba;
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    for (const auto& c : colours)
        for (int i = 0; i < 4 * 2; ++i) rgba.insert(rgba.end(), {c[0], c[1], c[2], 255});
    auto strip = decode(pngBytes(rgba, 4, 8));  // four 4 × 2 frames
    Surface s(20, 10);
    strip->drawPart(s.dc(), 0, 0, 20, 10, 2 * 2, 4, 2);
    EXPECT_EQ(s.rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(s.rgb(19, 9), 0x0000FFu);
    strip->drawPart(s.dc(), 0, 0, 4, 2, 2, 4, 2);
    EXPECT_EQ(s.rgb(3, 1), 0x00FF00u);
    EXPECT_EQ(s.rgb(4, 2), 0x0000FFu);
}

TEST(TextDraw, DrawsInTheGivenColourAndRestoresTheFont) {
    Surface s(60, 30, 0);
    UniqueFont font(CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    const HGDIOBJ before = GetCurrentObject(s.dc(), OBJ_FONT);
    drawTextWithFont(s.dc(), {0, 0, 60, 30}, u"WW", font.get(), 0x0000FF, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_FONT), before);
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t p = s.rgb(x, y);
            if (p == 0xFF0000) ++red;  // COLORREF 0x0000FF is red
        }
    EXPECT_GT(red, 20);

    // Plain text is centred vertically on one line, in the selected font.
    Surface t(60, 40, 0);
    drawTextPlain(t.dc(), {0, 0, 60, 40}, u"W", 0xFFFFFF);
    int top = 40, bottom = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            if (t.rgb(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
    ASSERT_LT(top, bottom);
    EXPECT_NEAR((top + bottom) / 2, 20, 4);
}

} // namespace
} // namespace nelvo
