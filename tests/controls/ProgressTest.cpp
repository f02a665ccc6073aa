// The progress bar and the slideshow drawn in a real window: the clipped
// fill read back from pixels, and the slideshow's frames, counter and
// cross-fade.

#include "dui/ScaledImageCache.h"
#include "dui/controls/PowerPoint.h"
#include "dui/controls/ProgressBar.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"

namespace nelvo::test {
namespace {

constexpr uint32_t kTrack = 0x202020, kFill = 0x20E020;

class ProgressWindowTest : public ControlTest {};

const std::string kBars = R"(<Window initSize="470,60" style="background.xml"><Canvas>
  <ProgressBar id="1" x="30" y="10" width="410" height="11" progressbkimg="pro_bg.png" progressbkScaleGrid="1,0,1,0"
    progressimg="pro_fg.png" progressScaleGrid="1,0,1,0"/>
  <ProgressBar id="2" x="30" y="30" width="410" height="11" progressbkimg="pro_bg.png" progressbkScaleGrid="1,0,1,0"
    progressimg="pro_fg.png" progressScaleGrid="1,0,1,0" progressmargin="0,1,0,1"/>
</Canvas></Window>)";

// How many columns of row `y` from `left` show the fill colour.
int fillWidth(Surface& s, int left, int y) {
    int n = 0;
    while (left + n < s.width() && s.rgb(left + n, y) == kFill) ++n;
    return n;
}

TEST_F(ProgressWindowTest, FillIsClippedToPositionOverRange) {
    MarkupWindow w(kBars);
    auto* bar = w.child<ProgressBar>(1);
    auto* margined = w.child<ProgressBar>(2);
    Surface s(470, 60);
    w.render(s);
    EXPECT_EQ(s.rgb(30, 15), kTrack);
    EXPECT_EQ(fillWidth(s, 30, 15), 0) << "position 0 draws the track alone";

    bar->setRange(12);
    bar->setPosition(3);
    w.render(s);
    EXPECT_EQ(fillWidth(s, 30, 15), 102);
    EXPECT_EQ(s.rgb(30 + 102, 15), kTrack);

    margined->setRange(100);
    margined->setPosition(37);
    w.render(s);
    EXPECT_EQ(fillWidth(s, 30, 35), 151);
    EXPECT_EQ(s.rgb(31, 30), kTrack) << "the margin keeps the top row";
    EXPECT_EQ(s.rgb(31, 40), kTrack) << "and the bottom row";
    EXPECT_EQ(s.rgb(31, 31), kFill);
    w.screenshot(L"controls-progress-37");

    bar->setRange(5);
    bar->setPosition(7);
    EXPECT_EQ(bar->position(), 5);
    margined->setPosition(100);
    w.render(s);
    EXPECT_EQ(fillWidth(s, 30, 15), 410) << "clamped to the range: a full bar";
    bar->setRange(10);
    w.render(s);
    EXPECT_EQ(fillWidth(s, 30, 15), 205) << "a new range, the same position";
    w.screenshot(L"controls-progress-100");

    bar->setRange(0);
    margined->setRange(-7);
    margined->setPosition(-100);
    w.render(s);
    EXPECT_EQ(fillWidth(s, 30, 15), 0);
    EXPECT_EQ(fillWidth(s, 30, 35), 410) << "-100 of -7 clamps to the area";
    bar->setRange(INT32_MAX);
    bar->setPosition(INT32_MAX);
    margined->setRange(-1);
    margined->setPosition(INT32_MIN);
    w.render(s);
    EXPECT_EQ(fillWidth(s, 30, 15), 410);
    EXPECT_EQ(fillWidth(s, 30, 35), 410);
    bar->setRange(100);
    bar->setPosition(0);
    margined->setRange(100);
    margined->setPosition(0);
    w.screenshot(L"controls-progress-0");
}

class SlideshowTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        auto members = testSkinMembers();
        members.push_back({u"a.png", solid(20, 10, 0xE00000)});
        members.push_back({u"b.png", solid(20, 10, 0x0000E0)});
        members.push_back({u"c.png", solid(20, 10, 0x00E000)});
        ASSERT_TRUE(SkinManager::current()->loadSkinBytes(storedPackage(members)));
    }
};

TEST_F(SlideshowTest, ThreeFramesFromTwoNamesAndTwoSemicolons) {
    MarkupWindow w(R"(<Window initSize="40,30"><Canvas>
      <PowerPoint id="1" x="0" y="0" width="20" height="10" imagelist="a.png;;b.png"/></Canvas></Window>)");
    auto* show = w.child<PowerPoint>(1);
    EXPECT_EQ(show->frameCount(), 3u);
    EXPECT_EQ(show->interval(), 30u);
    EXPECT_FALSE(show->playing());
    show->playStart();
    EXPECT_TRUE(show->playing());
    EXPECT_EQ(show->counter(), 51) << "started at 50, and the timer ticks once at once";
    show->playStart();
    EXPECT_EQ(show->counter(), 51) << "a second start changes nothing";
    show->playStop();
    EXPECT_FALSE(show->playing());
    EXPECT_EQ(show->counter(), 51) << "stopping keeps the counter";
}

TEST_F(SlideshowTest, FramesStep151TicksAndFadeFromThePreviousFrame) {
    MarkupWindow w(R"(<Window initSize="40,30"><Canvas>
      <PowerPoint id="1" x="5" y="5" width="20" height="10" imagelist="a.png;b.png;c.png"/></Canvas></Window>)");
    auto* show = w.child<PowerPoint>(1);
    Surface s(40, 30);
    w.render(s);
    EXPECT_EQ(s.rgb(10, 10), 0xE00000u) << "stopped: the current frame itself";
    // The timer runs, but nothing here pumps messages: the steps are ours.
    show->playStart();
    for (int i = 51; i < 150; ++i) show->step();
    EXPECT_EQ(show->counter(), 150);
    EXPECT_EQ(show->currentFrame(), 0u);
    show->step();
    EXPECT_EQ(show->counter(), 0);
    EXPECT_EQ(show->currentFrame(), 1u);
    w.render(s);
    EXPECT_EQ(s.rgb(10, 10), 0xE00000u) << "at counter 0 the mix is the previous frame";
    for (int i = 0; i < 20; ++i) show->step();
    w.render(s);
    const uint32_t mid = s.rgb(10, 10);
    EXPECT_NEAR(static_cast<int>(mid >> 16), 0x70, 2) << "half of the old frame's red";
    EXPECT_NEAR(static_cast<int>(mid & 0xFF), 0x70, 2) << "half of the new frame's blue";
    w.screenshot(L"controls-slideshow-fade");
    for (int i = 0; i < 20; ++i) show->step();
    w.render(s);
    EXPECT_EQ(s.rgb(10, 10), 0x0000E0u) << "from counter 40 the frame itself";
    show->playStop();
    for (int i = 0; i < 2 * 151; ++i) show->step();
    EXPECT_EQ(show->currentFrame(), 0u) << "the frames wrap around";
}

TEST_F(SlideshowTest, KeepsNoImageAcrossASkinReload) {
    MarkupWindow w(R"(<Window initSize="40,30"><Canvas>
      <PowerPoint id="1" x="0" y="0" width="20" height="10" imagelist="a.png;b.png"/></Canvas></Window>)");
    auto* show = w.child<PowerPoint>(1);
    show->playStart();
    auto members = testSkinMembers();
    members.push_back({u"a.png", solid(20, 10, 0x00E0E0)});
    members.push_back({u"b.png", solid(20, 10, 0x0000E0)});
    ASSERT_TRUE(SkinManager::current()->loadSkinBytes(storedPackage(members)));
    Surface s(40, 30);
    w.render(s);
    EXPECT_EQ(s.rgb(5, 5), 0x00E0E0u) << "the reloaded image";
    show->playStop();
}

TEST_F(SlideshowTest, ScaledFramesAreResampledOnceAndMixedInDevicePixels) {
    MarkupWindow w(R"(<Window initSize="40,30"><Canvas>
      <PowerPoint id="1" x="5" y="5" width="20" height="10" imagelist="a.png;b.png"/></Canvas></Window>)");
    auto* show = w.child<PowerPoint>(1);
    ScaledImageCache& cache = ScaledImageCache::instance();
    const size_t pieces = cache.pieces();
    const uint64_t made = cache.made();
    Surface s(60, 45);
    s.setDpi(144);
    const Rect bounds{5, 5, 25, 15};  // (7.5, 7.5, 37.5, 22.5) in device pixels: 8 ... 37, 8 ... 22
    show->paint(s.dc(), bounds, bounds);
    show->paint(s.dc(), bounds, bounds);
    EXPECT_EQ(cache.made(), made + 1) << "the frame is resampled once";
    EXPECT_EQ(s.rgb(8, 8), 0xE00000u);
    EXPECT_EQ(s.rgb(37, 22), 0xE00000u);
    EXPECT_EQ(s.rgb(7, 8), 0u);
    EXPECT_EQ(s.rgb(38, 22), 0u);
    EXPECT_EQ(s.rgb(37, 23), 0u);

    // Half-way through the fade, the two resampled frames are mixed over
    // the whole device rectangle.
    show->playStart();
    for (int i = 51; i <= 150 + 20; ++i) show->step();
    ASSERT_EQ(show->currentFrame(), 1u);
    show->paint(s.dc(), bounds, bounds);
    show->playStop();
    EXPECT_EQ(cache.made(), made + 2);
    const uint32_t mid = s.rgb(8, 8);
    EXPECT_NEAR(static_cast<int>(mid >> 16), 0x70, 2);
    EXPECT_NEAR(static_cast<int>(mid & 0xFF), 0x70, 2);
    for (int y = 8; y < 23; ++y)
        for (int x = 8; x < 38; ++x) ASSERT_EQ(s.rgb(x, y), mid) << x << "," << y;

    // A new skin: the old frames' pieces go with their images.
    EXPECT_EQ(cache.pieces(), pieces + 2);
    ASSERT_TRUE(SkinManager::current()->loadSkinBytes(storedPackage(testSkinMembers())));
    EXPECT_EQ(cache.pieces(), pieces);
}

TEST_F(SlideshowTest, MissingFirstFrameNeverStarts) {
    MarkupWindow w(R"(<Window initSize="40,30"><Canvas>
      <PowerPoint id="1" x="0" y="0" width="20" height="10" imagelist=";a.png"/>
      <PowerPoint id="2" x="0" y="0" width="20" height="10"/></Canvas></Window>)");
    w.child<PowerPoint>(1)->playStart();
    EXPECT_FALSE(w.child<PowerPoint>(1)->playing());
    w.child<PowerPoint>(2)->playStart();
    EXPECT_FALSE(w.child<PowerPoint>(2)->playing());
    w.child<PowerPoint>(2)->step();
}

} // namespace
} // namespace nelvo::test
