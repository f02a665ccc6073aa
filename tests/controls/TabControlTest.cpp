// The tab control in a real window driven by mouse messages: the measured
// size with the headers on top and on the left, the first item selected by
// the first arrange, a press on a header selecting it (ValueChange on the
// old header, then on the tab control), the slide of a new page step by
// step in both directions and only with the headers on top, and the pages
// of unselected items neither painted nor hit.

#include "dui/controls/TabControl.h"
#include "dui/controls/TabItem.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"

#include <vector>

namespace nelvo::test {
namespace {

const std::string kTabs = R"(<Window initSize="400,260" style="background.xml"><Canvas>
  <TabControl id="1" tabHeight="20" style="tabstrip.xml">
    <TabItem id="10" width="60" style="toggle.xml"><Grid id="11" width="300" height="130" style="page1.xml">
      <Button id="12" margin="20,20,0,0" width="40" height="20" horizontalAlign="left" verticalAlign="top"/></Grid></TabItem>
    <TabItem id="20" width="60" style="toggle.xml"><Grid id="21" width="300" height="130" style="page2.xml">
      <Button id="22" margin="20,20,0,0" width="40" height="20" horizontalAlign="left" verticalAlign="top"/></Grid></TabItem>
    <TabItem id="30" width="60" style="toggle.xml"><Grid id="31" width="300" height="100" margin="0,0,0,30" style="page3.xml"/></TabItem>
  </TabControl>
  <TabControl id="2" y="170" tabHeight="40" tabPlacement="left">
    <TabItem id="40" height="30" style="toggle.xml"><Grid id="41" width="100" height="50" style="page1.xml"/></TabItem>
    <TabItem id="50" height="30" style="toggle.xml"><Grid id="51" width="120" height="40" style="page2.xml"/></TabItem>
  </TabControl>
</Canvas></Window>)";

constexpr uint32_t kWhite = 0xFFFFFF, kWindowBackground = 0x3A6EA5;
constexpr uint32_t kPage1 = kCheckedOver, kPage2 = kCheckedDown;

// What the slide hook saw: the page's left edge after each step, and the
// screen's picture of the tab control half-way.
struct Slide {
    std::vector<int32_t> lefts;
    HWND window = nullptr;
    std::vector<uint32_t> halfWay;  // 300 x 150 pixels from the screen, first slide only
};
Slide g_slide;

void recordStep(TabControl& tabs, Control& page, int step) {
    g_slide.lefts.push_back(page.bounds().left);
    if (step != 5 || !g_slide.window || !g_slide.halfWay.empty()) return;
    // Under Wine the picture reaches the screen when the thread next waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    RECT r{0, 0, tabs.bounds().width(), tabs.bounds().height()};
    MapWindowPoints(g_slide.window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    captureScreen(r, g_slide.halfWay);
    CreateDirectoryW(screenshotDir().c_str(), nullptr);
    savePixelsPng(g_slide.halfWay.data(), r.right - r.left, r.bottom - r.top,
                  screenshotDir() + L"\\tabs-slide-half-way.png");
}

class TabControlTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        // No hover: the headers show their plain and checked skins.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        g_slide = {};
        TabControl::setSlideStepHook(&recordStep);
    }
    void TearDown() override { TabControl::setSlideStepHook(nullptr); }

    static std::vector<int32_t> steps(int32_t first, int32_t by) {
        std::vector<int32_t> v;
        for (int i = 0; i < 10; ++i) v.push_back(first + i * by);
        return v;
    }
};

TEST_F(TabControlTest, HeadersSelectPagesThatSlideInAndOnlyTheSelectedPageIsShown) {
    EventRecorder pageDetached;
    {
        MarkupWindow w(kTabs);
        auto* tabs = w.child<TabControl>(1);
        ASSERT_TRUE(tabs);
        g_slide.window = w.hwnd();
        auto* first = w.child<TabItem>(10);
        auto* second = w.child<TabItem>(20);
        auto* third = w.child<TabItem>(30);
        Control* root = w.window().root();
        pageDetached.attach(*w.child(11), EventCode::Detached);

        // Measured: the widest page against the headers' 180, the tallest
        // page plus the strip.
        EXPECT_EQ(tabs->bounds(), (Rect{0, 0, 300, 150}));
        EXPECT_EQ(tabs->headerStrip(), (Rect{0, 0, 300, 20}));
        EXPECT_EQ(tabs->pageRect(), (Rect{0, 20, 300, 150}));
        EXPECT_EQ(third->bounds(), (Rect{120, 0, 180, 20}));
        // The pages are in the window under the tab control, not its children.
        EXPECT_EQ(w.child(21)->parent(), tabs);
        EXPECT_EQ(tabs->childCount(), 3);
        EXPECT_EQ(w.child(31)->bounds(), (Rect{0, 20, 300, 120}));

        // The first arrange selected the first item.
        EXPECT_EQ(tabs->selectedItem(), first);
        EXPECT_TRUE(first->checked());
        Surface s(400, 260);
        w.render(s);
        EXPECT_EQ(s.rgb(30, 10), kCheckedUp);
        EXPECT_EQ(s.rgb(90, 10), kUp);
        EXPECT_EQ(s.rgb(250, 10), kWhite) << "the tab control's own style fills the header strip";
        EXPECT_EQ(s.rgb(150, 100), kPage1);
        EXPECT_EQ(root->hitTest(30, 50), w.child(12)) << "the selected page's button";

        EventLog log;
        log.watch(first, "first", {EventCode::ValueChange});
        log.watch(second, "second", {EventCode::ValueChange});
        log.watch(third, "third", {EventCode::ValueChange});
        log.watch(tabs, "tabs", {EventCode::ValueChange});
        EventRecorder clicks;
        clicks.attach(*second, EventCode::Click);

        // Another header: the old one, then the tab control; the new page
        // enters from the right in ten steps.
        w.press(90, 10);
        EXPECT_EQ(log.joined(), "first:31 tabs:31");
        EXPECT_EQ(tabs->selectedItem(), second);
        EXPECT_TRUE(second->checked());
        EXPECT_FALSE(first->checked());
        EXPECT_EQ(g_slide.lefts, steps(300, -30));
        EXPECT_EQ(w.child(21)->bounds(), (Rect{0, 20, 300, 150})) << "back in place";
        EXPECT_EQ(root->hitTest(30, 50), w.child(22)) << "the unselected page's button is not hit";
        EXPECT_FALSE(w.window().captureControl());
        EXPECT_FALSE(second->hasFlag(ControlFlag::Pressed));
        pump();
        EXPECT_EQ(clicks.count, 0) << "a header is never pressed, so it never clicks";
        // Half-way the old page still shows on the left of the new one.
        EXPECT_EQ(g_slide.halfWay.size(), 300u * 150u);
        if (g_slide.halfWay.size() == 300u * 150u) {
            EXPECT_EQ(g_slide.halfWay[80 * 300 + 100] & 0xFFFFFF, kPage1);
            EXPECT_EQ(g_slide.halfWay[80 * 300 + 200] & 0xFFFFFF, kPage2);
        }
        w.render(s);
        EXPECT_EQ(s.rgb(30, 10), kUp);
        EXPECT_EQ(s.rgb(90, 10), kCheckedUp);
        EXPECT_EQ(s.rgb(150, 100), kPage2);

        // The selected header again: nothing.
        log.clear();
        g_slide.lefts.clear();
        w.press(90, 10);
        EXPECT_EQ(log.joined(), "");
        EXPECT_TRUE(g_slide.lefts.empty());

        // The third page is shorter: what its rectangle leaves free shows
        // the window behind, not the strip's style nor another page.
        w.press(150, 10);
        EXPECT_EQ(log.joined(), "second:31 tabs:31");
        EXPECT_EQ(g_slide.lefts, steps(300, -30));
        EXPECT_EQ(w.child(31)->bounds(), (Rect{0, 20, 300, 120}));
        w.render(s);
        EXPECT_EQ(s.rgb(150, 100), kCheckedDisabled);
        EXPECT_EQ(s.rgb(150, 135), kWindowBackground);
        EXPECT_EQ(root->hitTest(30, 50), w.child(31));
        EXPECT_EQ(root->hitTest(150, 135), tabs);

        // Back to the first: it enters from the left.
        log.clear();
        g_slide.lefts.clear();
        w.press(30, 10);
        EXPECT_EQ(log.joined(), "third:31 tabs:31");
        EXPECT_EQ(g_slide.lefts, steps(-300, 30));

        // Headers on the left: stacked, measured from the widest page, no
        // slide.
        auto* side = w.child<TabControl>(2);
        EXPECT_EQ(side->bounds(), (Rect{0, 170, 160, 230}));
        EXPECT_EQ(side->pageRect(), (Rect{40, 0, 160, 60}));
        EXPECT_EQ(w.child(50)->bounds(), (Rect{0, 30, 40, 60}));
        EXPECT_EQ(w.child(41)->bounds(), (Rect{50, 5, 150, 55}));
        log.clear();
        log.watch(w.child(40), "top", {EventCode::ValueChange});
        log.watch(side, "side", {EventCode::ValueChange});
        g_slide.lefts.clear();
        w.press(20, 215);
        EXPECT_EQ(log.joined(), "top:31 side:31");
        EXPECT_EQ(side->selectedItem(), w.child(50));
        EXPECT_TRUE(g_slide.lefts.empty());
        EXPECT_EQ(root->hitTest(100, 200), w.child(51));

        EXPECT_EQ(pageDetached.count, 0);
    }
    EXPECT_EQ(pageDetached.count, 1) << "a page leaves the window with its item";
}

} // namespace
} // namespace nelvo::test
