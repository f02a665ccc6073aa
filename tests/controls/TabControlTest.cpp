// The tab control in a real window driven by mouse messages: measured with
// the headers on top and on the left, the first item selected by the first
// arrange, a press on a header selecting it (ValueChange on the old header,
// then on the tab control), the new page sliding in from either side in ten
// steps and only with the headers on top, and only the selected page
// painted and hit.

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

constexpr uint32_t kPage1 = kCheckedOver, kPage2 = kCheckedDown, kPage3 = kCheckedDisabled;

// The page's left edge after each slide step; the screen half-way through
// the first slide.
std::vector<int32_t> g_lefts;
std::vector<uint32_t> g_halfWay;

void recordStep(TabControl& tabs, Control& page, int step) {
    g_lefts.push_back(page.bounds().left);
    if (step != 5 || !g_halfWay.empty()) return;
    RECT r{0, 0, tabs.bounds().width(), tabs.bounds().height()};
    MapWindowPoints(tabs.window()->nativeHandle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    photographBusyArea(r, L"tabs-slide-half-way", &g_halfWay);
}

std::vector<int32_t> steps(int32_t first, int32_t by) {
    std::vector<int32_t> v;
    for (int i = 0; i < 10; ++i) v.push_back(first + i * by);
    return v;
}

class TabControlTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        g_lefts.clear();
        g_halfWay.clear();
        // No hover: the headers show their plain and checked skins.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        TabControl::setSlideStepHook(&recordStep);
    }
    void TearDown() override { TabControl::setSlideStepHook(nullptr); }
};

TEST_F(TabControlTest, HeadersSelectPagesThatSlideInAndOnlyTheSelectedPageIsShown) {
    EventRecorder pageDetached;
    {
        MarkupWindow w(kTabs);
        auto* tabs = w.child<TabControl>(1);
        ASSERT_TRUE(tabs);
        auto* first = w.child<TabItem>(10);
        auto* second = w.child<TabItem>(20);
        Control* root = w.window().root();
        pageDetached.attach(*w.child(11), EventCode::Detached);

        // The widest page against the headers' 180, the tallest plus the strip.
        EXPECT_EQ(tabs->bounds(), (Rect{0, 0, 300, 150}));
        EXPECT_EQ(tabs->pageRect(), (Rect{0, 20, 300, 150}));
        EXPECT_EQ(w.child(30)->bounds(), (Rect{120, 0, 180, 20}));
        EXPECT_EQ(w.child(21)->parent(), tabs) << "a page is in the window under the tab control";
        EXPECT_EQ(tabs->childCount(), 3) << "but not one of its children";
        EXPECT_EQ(tabs->selectedItem(), first) << "selected by the first arrange";
        Surface s(400, 260);
        w.render(s);
        EXPECT_EQ(s.rgb(30, 10), kCheckedUp);
        EXPECT_EQ(s.rgb(90, 10), kUp);
        EXPECT_EQ(s.rgb(250, 10), 0xFFFFFFu) << "the tab control's own style fills the header strip";
        EXPECT_EQ(s.rgb(150, 100), kPage1);
        EXPECT_EQ(root->hitTest(30, 50), w.child(12));

        EventLog log;
        for (int32_t id : {10, 20, 30}) log.watch(w.child(id), std::to_string(id), {EventCode::ValueChange});
        log.watch(tabs, "tabs", {EventCode::ValueChange});
        EventRecorder clicks;
        clicks.attach(*second, EventCode::Click);

        // Another header: the new page enters from the right, over the old.
        w.press(90, 10);
        EXPECT_EQ(log.joined(), "10:31 tabs:31");
        EXPECT_TRUE(second->checked() && !first->checked());
        EXPECT_EQ(g_lefts, steps(300, -30));
        ASSERT_EQ(g_halfWay.size(), 300u * 150u);
        EXPECT_EQ(g_halfWay[80 * 300 + 100] & 0xFFFFFF, kPage1);
        EXPECT_EQ(g_halfWay[80 * 300 + 200] & 0xFFFFFF, kPage2);
        EXPECT_EQ(w.child(21)->bounds(), (Rect{0, 20, 300, 150})) << "back in place";
        EXPECT_EQ(root->hitTest(30, 50), w.child(22)) << "the unselected page's button is not hit";
        EXPECT_FALSE(second->hasFlag(ControlFlag::Pressed));
        pump();
        EXPECT_EQ(clicks.count, 0) << "a header is never pressed, so it never clicks";

        // The selected header again: nothing.
        log.clear();
        g_lefts.clear();
        w.press(90, 10);
        EXPECT_EQ(log.joined(), "");
        EXPECT_TRUE(g_lefts.empty());

        // The shorter third page: what it leaves free shows the window behind.
        w.press(150, 10);
        EXPECT_EQ(log.joined(), "20:31 tabs:31");
        EXPECT_EQ(w.child(31)->bounds(), (Rect{0, 20, 300, 120})) << "back where its arrange put it";
        w.render(s);
        EXPECT_EQ(s.rgb(90, 10), kUp);
        EXPECT_EQ(s.rgb(150, 100), kPage3);
        EXPECT_EQ(s.rgb(150, 135), 0x3A6EA5u) << "neither another page nor the strip's style";
        EXPECT_EQ(root->hitTest(150, 135), tabs);

        // Back to the first: from the left.
        log.clear();
        g_lefts.clear();
        w.press(30, 10);
        EXPECT_EQ(log.joined(), "30:31 tabs:31");
        EXPECT_EQ(g_lefts, steps(-300, 30));

        // Headers on the left: stacked, no slide.
        auto* side = w.child<TabControl>(2);
        EXPECT_EQ(side->bounds(), (Rect{0, 170, 160, 230}));
        EXPECT_EQ(w.child(50)->bounds(), (Rect{0, 30, 40, 60}));
        EXPECT_EQ(w.child(41)->bounds(), (Rect{50, 5, 150, 55}));
        g_lefts.clear();
        w.press(20, 215);
        EXPECT_EQ(side->selectedItem(), w.child(50));
        EXPECT_TRUE(g_lefts.empty());
        EXPECT_EQ(root->hitTest(100, 200), w.child(51));
        EXPECT_EQ(pageDetached.count, 0);
    }
    EXPECT_EQ(pageDetached.count, 1) << "a page leaves the window with its item";
}

} // namespace
} // namespace nelvo::test
