// The arithmetic of the display controls, without a window: the progress
// fill for every range and position (no overflow, no division fault, never
// outside its area), the slideshow's image list, fade weight and mixing,
// the frame choice of the strip styles and the combo box's drop button.

#include "dui/Control.h"
#include "dui/controls/PowerPoint.h"
#include "dui/controls/ProgressBar.h"
#include "dui/controls/Style_ButtonEx.h"
#include "dui/controls/Style_CheckButtonEx.h"
#include "dui/controls/Style_ComboBox.h"

#include <gtest/gtest.h>

#include <climits>

namespace nelvo {
namespace {

TEST(ProgressFill, TruncatesTowardZeroAndStaysInsideItsArea) {
    EXPECT_EQ(ProgressBar::fillRight(0, 410, 3, 12), 102);
    EXPECT_EQ(ProgressBar::fillRight(30, 440, 3, 12), 132);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, 5, 10), 205);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, 10, 10), 410);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, 0, 10), 0);
    // Range 0 and negative values draw nothing rather than faulting.
    EXPECT_EQ(ProgressBar::fillRight(0, 410, 5, 0), 0);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, -5, 10), 0);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, 5, -10), 0);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, -5, -10), 205);
    // Products beyond 32 bits, and the one quotient that overflows 32 bits.
    EXPECT_EQ(ProgressBar::fillRight(0, 410, INT_MAX, INT_MAX), 410);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, INT_MAX / 2, INT_MAX), 204);
    EXPECT_EQ(ProgressBar::fillRight(0, 410, INT_MIN, -1), 410);
    EXPECT_EQ(ProgressBar::fillRight(INT_MIN, INT_MAX, INT_MAX, 1), INT_MAX);
    EXPECT_EQ(ProgressBar::fillRight(10, 5, 1, 1), 10) << "an inverted area has no fill";
}

TEST(ProgressBarValues, PositionIsLimitedByTheRangeOnly) {
    auto* bar = new ProgressBar;
    EXPECT_EQ(bar->range(), 1);
    EXPECT_EQ(bar->position(), 0);
    bar->setRange(5);
    bar->setPosition(7);
    EXPECT_EQ(bar->position(), 5);
    bar->setRange(10);
    EXPECT_EQ(bar->position(), 5) << "a new range keeps the position";
    bar->setPosition(-5);
    EXPECT_EQ(bar->position(), -5) << "no lower limit";
    bar->destroy();
}

TEST(Slideshow, ImageListKeepsEveryPiece) {
    EXPECT_EQ(PowerPoint::splitImageList(u"a;;b"), (std::vector<std::u16string>{u"a", u"", u"b"}));
    EXPECT_EQ(PowerPoint::splitImageList(u" a ;b;"), (std::vector<std::u16string>{u" a ", u"b", u""}));
    EXPECT_EQ(PowerPoint::splitImageList(u""), (std::vector<std::u16string>{u""}));
}

TEST(Slideshow, FadeRisesAlongAHalfSineAndMixesEveryByte) {
    // The single-precision formula's values, exactly: 0 at the start, a
    // half at counter 20, not yet 256 at counter 39.
    const int32_t weights[40] = {0,   0,   1,   3,   6,   9,   13,  18,  24,  30,  37,  44,  52,  61,
                                 69,  79,  88,  98,  107, 117, 128, 138, 148, 157, 167, 176, 186, 194,
                                 203, 211, 218, 225, 231, 237, 242, 246, 249, 252, 254, 255};
    for (int c = 0; c < 40; ++c) EXPECT_EQ(PowerPoint::fadeWeight(c), weights[c]) << "counter " << c;
    const uint8_t a[4] = {0, 255, 100, 255}, b[4] = {255, 0, 200, 255};
    uint8_t out[4];
    PowerPoint::mixBytes(a, b, out, 4, 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(a, a + 4)) << "weight 0 is the previous frame";
    PowerPoint::mixBytes(a, b, out, 4, 128);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{127, 127, 150, 255}));
}

TEST(StripStyles, FrameChoice) {
    using namespace ControlFlag;
    EXPECT_EQ(Style_ButtonEx::frameIndex(Enabled), 0);
    EXPECT_EQ(Style_ButtonEx::frameIndex(Enabled | Hovered), 1);
    EXPECT_EQ(Style_ButtonEx::frameIndex(Enabled | Hovered | Pressed), 2);
    EXPECT_EQ(Style_ButtonEx::frameIndex(Hovered | Pressed), 3);
    EXPECT_EQ(Style_ButtonEx::frameIndex(Enabled | Checked | Focused), 0);
    EXPECT_EQ(Style_CheckButtonEx::sourceRow(Enabled, 14), 0);
    EXPECT_EQ(Style_CheckButtonEx::sourceRow(Enabled | Checked | Pressed, 14), 84);
    EXPECT_EQ(Style_CheckButtonEx::sourceRow(Checked, 14), 98);
}

TEST(ComboBoxStyle, DropButtonPlaceWrapsAroundForAnyRectangle) {
    // The wizard's field: a 16 x 16 button against the right edge, centred.
    const Rect field{10, 20, 210, 44};
    EXPECT_EQ(Style_ComboBox::buttonOrigin(field, 16, 16), (Point{194, 24}));
    EXPECT_EQ(Style_ComboBox::textRight(field, 16), 192);
    // Rectangles hostile markup can make: sums and differences past 32 bits.
    const Rect high{INT32_MAX - 10, INT32_MAX - 4, INT32_MAX, INT32_MAX};
    EXPECT_EQ(Style_ComboBox::buttonOrigin(high, 16, 16).x, INT32_MAX - 16);
    EXPECT_EQ(Style_ComboBox::buttonOrigin(high, 16, 16).y, -11);
    const Rect low{INT32_MIN, INT32_MIN, INT32_MIN + 5, INT32_MIN + 1};
    EXPECT_EQ(Style_ComboBox::buttonOrigin(low, 16, 16).x, INT32_MAX - 10);
    EXPECT_EQ(Style_ComboBox::textRight(low, INT32_MAX), 4);
}

} // namespace
} // namespace nelvo
