// Image decoding and the image and text drawing operations, drawn into
// 32-bit DIB sections and read back pixel by pixel.

#include "tests/support/PngBytes.h"
#include "tests/support/Surface.h"

#include "dui/AlphaBlendLibrary.h"
#include "dui/DpiScale.h"
#include "dui/ImageRecord.h"
#include "dui/ImageScaler.h"
#include "dui/ScaledImageCache.h"
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

// The device pixels of a piece drawn at a scale: exactly the source
// rectangle resampled to the device size of its layout rectangle.
void expectResampledPiece(const Surface& s, const DpiScale& scale, const ImageRecord& image, const Rect& units,
                          const Rect& source) {
    const Rect d = scale.toDevice(units);
    std::vector<uint32_t> expected(size_t(d.width() * d.height()));
    ASSERT_TRUE(scaleImage(image.bits() + source.top * image.width() + source.left, image.width(), source.width(),
                           source.height(), expected.data(), d.width(), d.height()));
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x)
            ASSERT_EQ(s.rgb(d.left + x, d.top + y), expected[size_t(y * d.width() + x)] & 0xFFFFFF)
                << "at " << d.left + x << "," << d.top + y << " of the piece from " << source.left << ","
                << source.top << " at " << scale.dpi << " DPI";
}

TEST(ImageDrawScaled, NineGridAndStripFramesAreResampledPiecesInDevicePixels) {
    BlendSpy spy;
    ScaledImageCache& cache = ScaledImageCache::instance();
    auto grid = decode(pngBytes(numberedPixels(9, 9), 9, 9));
    // Four 4 × 2 frames, translucent, each one colour: a frame that reads
    // its neighbour shows a second colour at its edges.
    std::vector<uint8_t> rgba;
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    for (const auto& c : colours)
        for (int i = 0; i < 4 * 2; ++i) rgba.insert(rgba.end(), {c[0], c[1], c[2], 200});
    auto strip = decode(pngBytes(rgba, 4, 8));
    const size_t piecesBefore = cache.pieces();

    for (const int dpi : {144, 192}) {
        const DpiScale scale{dpi};
        Surface s(scale.toDevice(260), scale.toDevice(40));
        s.setDpi(dpi);
        const uint64_t made = cache.made();
        grid->drawNineGrid(s.dc(), 5, 2, 255, 27, 3, 3, 3, 3);
        EXPECT_EQ(cache.made(), made + 9) << "one piece each";
        // Every piece, corners included, is its source rectangle resampled
        // to the device size of its layout rectangle: the corners to the
        // scaled margins, never stretched by GDI.
        const int xs[] = {5, 8, 252, 255}, ys[] = {2, 5, 24, 27}, source[] = {0, 3, 6, 9};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                expectResampledPiece(s, scale, *grid, {xs[col], ys[row], xs[col + 1], ys[row + 1]},
                                     {source[col], source[row], source[col + 1], source[row + 1]});
        const Rect outline = scale.toDevice(Rect{5, 2, 255, 27});
        EXPECT_EQ(s.rgb(outline.left - 1, outline.top), 0u) << "nothing outside the rectangle";
        EXPECT_EQ(s.rgb(outline.right, outline.bottom - 1), 0u);
        EXPECT_EQ(s.rgb(outline.left, outline.bottom), 0u);

        // The third frame over (0, 30, 20, 40), blended as a translucent
        // image is: one colour to its edges.
        const int blends = BlendSpy::calls();
        strip->drawPart(s.dc(), 0, 30, 20, 10, 4, 4, 2);
        EXPECT_EQ(BlendSpy::calls(), blends + 1);
        const Rect frame = scale.toDevice(Rect{0, 30, 20, 40});
        const uint32_t blue = s.rgb(frame.left, frame.top);
        EXPECT_NEAR(int(blue & 0xFF), 200, 2) << std::hex << blue;
        for (int y = frame.top; y < frame.bottom; ++y)
            for (int x = frame.left; x < frame.right; ++x) ASSERT_EQ(s.rgb(x, y), blue) << x << "," << y;

        // Drawn again: found, not made; and the context keeps its transform.
        grid->drawNineGrid(s.dc(), 5, 2, 255, 27, 3, 3, 3, 3);
        strip->drawPart(s.dc(), 0, 30, 20, 10, 4, 4, 2);
        EXPECT_EQ(cache.made(), made + 10);
        XFORM transform{};
        ASSERT_TRUE(GetWorldTransform(s.dc(), &transform));
        EXPECT_FLOAT_EQ(transform.eM11, float(dpi) / 96.0f);
        EXPECT_FLOAT_EQ(transform.eM22, float(dpi) / 96.0f);
    }

    // At 96 DPI, through an identity transform, the pictures are those of a
    // plain context, and nothing is resampled.
    Surface plain(260, 40), identity(260, 40);
    identity.setDpi(96);
    const uint64_t made = cache.made();
    for (Surface* s : {&plain, &identity}) {
        grid->drawNineGrid(s->dc(), 5, 2, 255, 27, 3, 3, 3, 3);
        grid->drawStretched(s->dc(), 0, 28, 30, 40);
        strip->drawPart(s->dc(), 40, 30, 20, 10, 4, 4, 2);
    }
    EXPECT_EQ(cache.made(), made);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 260; ++x) ASSERT_EQ(identity.at(x, y), plain.at(x, y)) << x << "," << y;

    // The pieces go with their images.
    EXPECT_EQ(cache.pieces(), piecesBefore + 2 * 10);
    grid.reset();
    strip.reset();
    EXPECT_EQ(cache.pieces(), piecesBefore);
}

TEST(ImageDrawScaled, TheCacheKeepsToItsBudgetOldestFirst) {
    BlendSpy spy;
    ScaledImageCache& cache = ScaledImageCache::instance();
    auto strip = decode(pngBytes(std::vector<uint8_t>(4 * 8 * 4, 200), 4, 8));
    Surface s(80, 40);
    s.setDpi(192);
    // Room for two frames at 2 × (8 × 4 device pixels each).
    const size_t saved = cache.setBudget(2 * 8 * 4 * 4);
    const uint64_t made = cache.made();
    for (int frame = 0; frame < 4; ++frame) strip->drawPart(s.dc(), frame * 4, 0, 4, 2, frame * 2, 4, 2);
    EXPECT_EQ(cache.made(), made + 4);
    strip->drawPart(s.dc(), 12, 0, 4, 2, 6, 4, 2);
    strip->drawPart(s.dc(), 8, 0, 4, 2, 4, 4, 2);
    EXPECT_EQ(cache.made(), made + 4) << "the two newest are kept";
    strip->drawPart(s.dc(), 0, 0, 4, 2, 0, 4, 2);
    EXPECT_EQ(cache.made(), made + 5) << "the oldest was let go";
    // A piece larger than the whole budget is still drawn.
    cache.setBudget(0);
    strip->drawStretched(s.dc(), 0, 4, 40, 20);
    EXPECT_NE(s.rgb(79, 39), 0u);
    EXPECT_EQ(s.rgb(79, 39), s.rgb(0, 8));
    EXPECT_LE(cache.pieces(), 1u);
    cache.setBudget(saved);
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
