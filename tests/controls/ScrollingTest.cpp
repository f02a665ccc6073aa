// The scrolling controls in real windows driven by window messages: the
// scroll bar's thumb arithmetic, states, auto-repeat and drawing inside
// scroll panels; the list box's items, steps, paging and selection; the
// slider's value, hover, wheel and drags; the fuzzers' extreme sizes under
// input.

#include "dui/Timer.h"
#include "dui/controls/ListBox.h"
#include "dui/controls/ScrollBar.h"
#include "dui/controls/ScrollPanel.h"
#include "dui/controls/Slider.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"

#include <utility>
#include <vector>

namespace nelvo::test {
namespace {

// Every Notify a control raised, as (param1, param2).
struct NotifyLog {
    std::vector<std::pair<intptr_t, intptr_t>> seen;
    static void handle(void* object, Control*, Event* e) {
        static_cast<NotifyLog*>(object)->seen.emplace_back(e->param1, e->param2);
    }
    void attach(Control& c) { EXPECT_TRUE(c.addHandler(EventCode::Notify, this, &NotifyLog::handle)); }
    std::pair<intptr_t, intptr_t> last() const { return seen.empty() ? std::pair<intptr_t, intptr_t>{-1, -1} : seen.back(); }
};

// A raised Notify, as the bar raises it.
void raiseNotify(Control& bar, int32_t step, int32_t value = 0) {
    Event e = makeEvent(EventCode::Notify, Routing::Direct, step, value);
    bar.raiseEvent(e);
}

std::string items(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "<Label text=\"item " + std::to_string(i) + "\" style=\"listitem.xml\"/>";
    return s;
}

// Panel 1: 1000 of content in 250 with arrows of 25, so a 200-pixel track.
// Panel 2: a bar that must be shown but has nothing to scroll. Panel 3:
// never scrolls. Panel 4: scrolls across only.
const std::string kPanels = R"(<Window initSize="400,300" style="background.xml"><Canvas>
  <ScrollPanel id="1" x="10" y="10" width="100" height="250"><Canvas height="1000"/></ScrollPanel>
  <ScrollPanel id="2" x="130" y="10" width="60" height="250" scrollvertical="always"><Canvas height="100"/></ScrollPanel>
  <ScrollPanel id="3" x="210" y="10" width="60" height="60" scrollvertical="never" scrollhorizontal="never">
    <Canvas width="500" height="500"/></ScrollPanel>
  <ScrollPanel id="4" x="210" y="100" width="100" height="80" scrollhorizontal="auto"><Canvas width="300" height="60"/></ScrollPanel>
</Canvas></Window>)";

class ScrollBarTest : public ControlTest {};

TEST_F(ScrollBarTest, ThumbFollowsPageAndPositionAndADisabledBarHasNone) {
    MarkupWindow w(kPanels);
    auto* panel = w.child<ScrollPanel>(1);
    ASSERT_TRUE(panel);
    ScrollBar* bar = panel->verticalBar();
    ASSERT_TRUE(bar);
    EXPECT_FALSE(panel->horizontalBar());
    EXPECT_EQ(bar->bounds(), (Rect{85, 0, 100, 250})) << "the skin's bar is 15 wide";
    EXPECT_EQ(panel->content()->bounds(), (Rect{0, 0, 85, 1000}));
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(bar->page(), 250);
    EXPECT_TRUE(bar->enabled());
    Rect thumb;
    ASSERT_TRUE(bar->thumbRect(thumb));
    EXPECT_EQ(thumb, (Rect{0, 25, 15, 76})) << "250 x 200 / 1000 + 1 = 51";
    bar->setPosition(5000);
    EXPECT_EQ(bar->position(), 750) << "clamped to maximum - page";
    ASSERT_TRUE(bar->thumbRect(thumb));
    EXPECT_EQ(thumb, (Rect{0, 174, 15, 225}));
    EXPECT_EQ(thumb.bottom, bar->downArrow().top) << "the last position ends at the down arrow";
    EXPECT_EQ(panel->content()->bounds(), (Rect{0, -750, 85, 250}));
    bar->setPosition(-3);
    EXPECT_EQ(bar->position(), 0);
    EXPECT_EQ(panel->content()->bounds().top, 0);

    // Short thumbs grow to 20; no thumb without room or range; products in
    // 64 bits.
    int32_t start = 0, length = 0;
    ASSERT_TRUE(ScrollBar::thumbSpan(25, 225, 10000, 100, 9900, start, length));
    EXPECT_EQ(length, 20);
    EXPECT_EQ(start, 205);
    ASSERT_TRUE(ScrollBar::thumbSpan(0, 200, INT32_MAX, INT32_MAX - 1, 1, start, length));
    EXPECT_EQ(length, 200);
    EXPECT_EQ(start, 0);
    EXPECT_FALSE(ScrollBar::thumbSpan(0, 200, 0, 0, 0, start, length));
    EXPECT_FALSE(ScrollBar::thumbSpan(0, 200, 250, 250, 0, start, length));
    EXPECT_FALSE(ScrollBar::thumbSpan(25, 25, 1000, 250, 0, start, length));

    // Arrange again: new bars, the same position.
    bar->setPosition(300);
    panel->arrange(panel->bounds());
    ASSERT_TRUE(panel->verticalBar());
    EXPECT_EQ(panel->verticalBar()->position(), 300);
    EXPECT_EQ(panel->content()->bounds().top, -300);
    panel->verticalBar()->setPosition(0);

    // Shown but nothing to scroll: disabled at 0, arrows disabled, no thumb.
    ScrollBar* idle = w.child<ScrollPanel>(2)->verticalBar();
    ASSERT_TRUE(idle);
    EXPECT_EQ(idle->maximum(), 100) << "the content's own height";
    EXPECT_FALSE(idle->enabled());
    idle->setPosition(40);
    EXPECT_EQ(idle->position(), 0);
    EXPECT_FALSE(idle->thumbRect(thumb));

    auto* fixed = w.child<ScrollPanel>(3);
    EXPECT_FALSE(fixed->verticalBar());
    EXPECT_FALSE(fixed->horizontalBar());
    EXPECT_EQ(fixed->childCount(), 1);

    auto* across = w.child<ScrollPanel>(4);
    ScrollBar* horizontal = across->horizontalBar();
    ASSERT_TRUE(horizontal);
    EXPECT_FALSE(across->verticalBar());
    EXPECT_EQ(horizontal->bounds(), (Rect{0, 65, 100, 80})) << "the skin's bar is 15 high";
    horizontal->setPosition(500);
    EXPECT_EQ(horizontal->position(), 200);
    EXPECT_EQ(across->content()->bounds().left, -200);
    ASSERT_TRUE(horizontal->thumbRect(thumb));
    EXPECT_EQ(thumb, (Rect{55, 0, 75, 15})) << "20 at least, at the end of its 50-pixel track";

    // A bar outside any window refuses positions.
    ControlPtr loose(new ScrollBar);
    auto* looseBar = static_cast<ScrollBar*>(loose.get());
    looseBar->setMaximum(100);
    looseBar->setPage(10);
    looseBar->setPosition(5);
    EXPECT_EQ(looseBar->position(), 0);

    // Pixels: bar, arrows, the thumb narrowed by one pixel with its icon.
    Surface s(400, 300);
    w.render(s);
    EXPECT_EQ(s.rgb(102, 20), kUp);
    EXPECT_EQ(s.rgb(102, 250), kUp);
    EXPECT_EQ(s.rgb(102, 40), kCheckedUp);
    EXPECT_EQ(s.rgb(102, 60), kIcon);
    EXPECT_EQ(s.rgb(95, 40), kBar) << "narrowed on the left";
    EXPECT_EQ(s.rgb(109, 40), kBar) << "and on the right";
    EXPECT_EQ(s.rgb(102, 150), kBar);
    EXPECT_EQ(s.rgb(182, 20), kDisabled);
    EXPECT_EQ(s.rgb(182, 135), kBar) << "a disabled bar draws no thumb";
    w.screenshot(L"controls-scrollbars");
}

TEST_F(ScrollBarTest, ArrowsRepeatWhileOnThePressedPartAndTheThumbDrags) {
    MarkupWindow w(kPanels);
    ScrollBar* bar = w.child<ScrollPanel>(1)->verticalBar();
    ASSERT_TRUE(bar);
    NotifyLog log;
    log.attach(*bar);
    Surface s(400, 300);

    // The up arrow at (102, 22): one step at once, then every 100 ms.
    w.moveCursor(102, 22);
    EXPECT_EQ(bar->parts(), static_cast<uint32_t>(ScrollBar::UpArrow));
    w.press(102, 22);
    ASSERT_EQ(log.seen.size(), 1u);
    EXPECT_EQ(log.last(), (std::pair<intptr_t, intptr_t>{2, 0}));
    EXPECT_TRUE(bar->repeating());
    EXPECT_TRUE(pumpUntil(3000, [&] { return log.seen.size() >= 3; }));
    w.render(s);
    EXPECT_EQ(s.rgb(102, 22), kDown);
    w.screenshot(L"controls-scrollbar-arrow-pressed");

    // Off the arrow the repeat pauses; back on it, it resumes at once.
    w.moveCursor(102, 150, MK_LBUTTON);
    EXPECT_FALSE(bar->repeating());
    const size_t paused = log.seen.size();
    pump(300);
    EXPECT_EQ(log.seen.size(), paused);
    w.moveCursor(102, 22, MK_LBUTTON);
    EXPECT_TRUE(bar->repeating());
    EXPECT_EQ(log.seen.size(), paused + 1);
    w.release(102, 22);
    EXPECT_FALSE(bar->repeating());
    for (const auto& step : log.seen) EXPECT_EQ(step.first, 2);
    EXPECT_EQ(bar->parts(), static_cast<uint32_t>(ScrollBar::UpArrow)) << "released: hovered, not pressed";
    w.render(s);
    EXPECT_EQ(s.rgb(102, 22), kOver);

    w.moveCursor(102, 247);
    w.press(102, 247);
    EXPECT_EQ(log.last(), (std::pair<intptr_t, intptr_t>{3, 0}));
    w.release(102, 247);

    // The thumb (35 ... 86 in the window): pressed 5 below its top, dragged
    // 40 down: 750 x (40) / (200 - 51).
    const size_t before = log.seen.size();
    w.moveCursor(102, 40);
    w.render(s);
    EXPECT_EQ(s.rgb(102, 45), kCheckedOver);
    w.screenshot(L"controls-scrollbar-thumb-hovered");
    w.press(102, 40);
    EXPECT_EQ(log.seen.size(), before) << "pressing the thumb steps nothing";
    EXPECT_FALSE(bar->repeating());
    w.render(s);
    EXPECT_EQ(s.rgb(102, 45), kCheckedDown);
    w.screenshot(L"controls-scrollbar-thumb-pressed");
    w.moveCursor(102, 80, MK_LBUTTON);
    EXPECT_EQ(log.last(), (std::pair<intptr_t, intptr_t>{6, 201}));
    w.release(102, 80);
    EXPECT_EQ(bar->position(), 0) << "a plain scroll panel does not answer its bars";

    w.moveCursor(390, 290);
    EXPECT_EQ(bar->parts(), 0u);
}

// The centre of `part` (in the control's own coordinates) in the window.
POINT centreIn(Control& c, const Rect& part) {
    Rect r;
    EXPECT_TRUE(c.windowRect(r));
    return {r.left + (part.left + part.right) / 2, r.top + (part.top + part.bottom) / 2};
}

using Step = std::pair<intptr_t, intptr_t>;

TEST_F(ScrollBarTest, HorizontalBarsStepAndDragAcrossAndAVerticalBarForcesOne) {
    MarkupWindow w(kPanels);
    ScrollBar* bar = w.child<ScrollPanel>(4)->horizontalBar();
    ASSERT_TRUE(bar && !bar->vertical());
    NotifyLog log;
    log.attach(*bar);

    // The left arrow steps back and repeats while held; the right one steps
    // forward; the track after the thumb pages forward.
    const POINT left = centreIn(*bar, bar->upArrow());
    const POINT right = centreIn(*bar, bar->downArrow());
    w.moveCursor(left.x, left.y);
    EXPECT_EQ(bar->parts(), static_cast<uint32_t>(ScrollBar::UpArrow));
    w.press(left.x, left.y);
    EXPECT_EQ(log.last(), (Step{2, 0}));
    EXPECT_TRUE(pumpUntil(3000, [&] { return log.seen.size() >= 3; })) << "repeats while held";
    w.release(left.x, left.y);
    w.moveCursor(right.x, right.y);
    EXPECT_EQ(bar->parts(), static_cast<uint32_t>(ScrollBar::DownArrow));
    w.press(right.x, right.y);
    EXPECT_EQ(log.last(), (Step{3, 0}));
    w.release(right.x, right.y);
    Rect thumb;
    ASSERT_TRUE(bar->thumbRect(thumb));
    EXPECT_EQ(thumb.left, bar->upArrow().right) << "at position 0 the thumb starts the track";
    const POINT track = centreIn(*bar, {thumb.right, thumb.top, bar->downArrow().left, thumb.bottom});
    w.moveCursor(track.x, track.y);
    w.press(track.x, track.y);
    EXPECT_EQ(log.last(), (Step{5, 0}));
    w.release(track.x, track.y);

    // The thumb follows the pointer across; how far it is moved up or down
    // does not count: (300 - 100) x 20 / (track - thumb).
    const POINT grip = centreIn(*bar, thumb);
    w.moveCursor(grip.x, grip.y);
    w.press(grip.x, grip.y);
    w.moveCursor(grip.x + 20, grip.y - 30, MK_LBUTTON);
    const int32_t travel = bar->downArrow().left - bar->upArrow().right - thumb.width();
    EXPECT_EQ(log.last(), (Step{6, 200 * 20 / travel}));
    w.release(grip.x + 20, grip.y - 30);

    // 60 wide fits in 70 but not in the 55 a vertical bar leaves: 200 high
    // needs one, and then both share the corner.
    MarkupWindow both(R"(<Window initSize="100,100" style="background.xml"><Canvas>
      <ScrollPanel id="5" width="70" height="80" scrollhorizontal="auto"><Canvas width="60" height="200"/>
      </ScrollPanel></Canvas></Window>)");
    auto* panel = both.child<ScrollPanel>(5);
    ASSERT_TRUE(panel->verticalBar() && panel->horizontalBar());
    EXPECT_EQ(panel->verticalBar()->bounds(), (Rect{55, 0, 70, 65}));
    EXPECT_EQ(panel->horizontalBar()->bounds(), (Rect{0, 65, 55, 80}));
    EXPECT_EQ(panel->horizontalBar()->maximum(), 60);
    EXPECT_EQ(panel->horizontalBar()->page(), 55);
    EXPECT_EQ(panel->verticalBar()->page(), 65);
    EXPECT_TRUE(panel->horizontalBar()->enabled());
    panel->horizontalBar()->setPosition(100);
    panel->verticalBar()->setPosition(1000);
    EXPECT_EQ(panel->content()->bounds(), (Rect{-5, -135, 55, 65}));
    both.screenshot(L"controls-scrollpanel-both-bars");
}

TEST_F(ScrollBarTest, ArrangingAgainWhileAnArrowIsHeldLeavesNoTimer) {
    MarkupWindow w(kPanels);
    auto* panel = w.child<ScrollPanel>(1);
    const size_t timers = Timer::runningCount();
    NotifyLog log;
    log.attach(*panel->verticalBar());
    w.moveCursor(102, 22);
    w.press(102, 22);
    ASSERT_TRUE(panel->verticalBar()->repeating());
    EXPECT_EQ(Timer::runningCount(), timers + 1);
    panel->arrange(panel->bounds());
    EXPECT_EQ(Timer::runningCount(), timers) << "the held bar went with its timer";
    const size_t steps = log.seen.size();
    pump(300);
    EXPECT_EQ(log.seen.size(), steps);
    ScrollBar* fresh = panel->verticalBar();
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->repeating());
    w.release(102, 22);
    w.moveCursor(102, 22);
    w.press(102, 22);
    EXPECT_TRUE(fresh->repeating()) << "the new bar answers at once";
    w.release(102, 22);
    EXPECT_EQ(Timer::runningCount(), timers);
}

class BareScrollBarTest : public FrameworkTest {};

TEST_F(BareScrollBarTest, WithoutSkinBarsAre17AndTheArrowsEmpty) {
    MarkupWindow w(R"(<Window initSize="120,220"><Canvas>
      <ScrollPanel id="1" x="0" y="0" width="100" height="200"><Canvas height="1000"/></ScrollPanel></Canvas></Window>)");
    auto* panel = w.child<ScrollPanel>(1);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->verticalBarWidth(), 17);
    EXPECT_EQ(panel->horizontalBarHeight(), 17);
    ScrollBar* bar = panel->verticalBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->bounds(), (Rect{83, 0, 100, 200}));
    EXPECT_TRUE(bar->upArrow().empty());
    EXPECT_TRUE(bar->downArrow().empty());
    Rect thumb;
    ASSERT_TRUE(bar->thumbRect(thumb));
    EXPECT_EQ(thumb, (Rect{0, 0, 17, 41})) << "the track is the whole bar: 200 x 200 / 1000 + 1";
}

class ListBoxTest : public ControlTest {};

const std::string kLists = R"(<Window initSize="300,300" style="background.xml"><Canvas>
  <ListBox id="1" x="10" y="10" width="120" height="100" itemHeight="24">)" + items(10) + R"(</ListBox>
  <ListBox id="2" x="150" y="10" width="120" height="250" itemHeight="24">)" + items(40) + R"(</ListBox>
  <ListBox id="3" x="10" y="150" width="120" height="100" itemHeight="24"><Label text="a"/><Label text="b" height="30"/></ListBox>
</Canvas></Window>)";

TEST_F(ListBoxTest, MarkupItemsScrollByWholeItems) {
    MarkupWindow w(kLists);
    auto* list = w.child<ListBox>(1);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->itemCount(), 10u);
    EXPECT_EQ(list->item(3)->bounds(), (Rect{0, 72, 105, 96}));
    auto* mixed = w.child<ListBox>(3);
    EXPECT_EQ(mixed->itemCount(), 2u);
    EXPECT_EQ(mixed->item(1)->bounds(), (Rect{0, 24, 120, 54})) << "an explicit height wins";
    EXPECT_FALSE(mixed->verticalBar()) << "54 fits into 100";

    ScrollBar* bar = list->verticalBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->maximum(), 240);
    EXPECT_EQ(bar->page(), 100);

    // Arrows step one item (the down arrow's centre is at (122, 97)).
    w.click(122, 97);
    EXPECT_EQ(bar->position(), 24);
    EXPECT_EQ(list->stack().bounds().top, -24);
    w.click(122, 22);
    EXPECT_EQ(bar->position(), 0);

    // The track pages by the whole items that fit: 4 x 24; the thumb snaps.
    raiseNotify(*bar, ScrollBar::PageForward);
    EXPECT_EQ(bar->position(), 96);
    raiseNotify(*bar, ScrollBar::PageForward);
    EXPECT_EQ(bar->position(), 140);
    raiseNotify(*bar, ScrollBar::PageBack);
    EXPECT_EQ(bar->position(), 44);
    raiseNotify(*bar, ScrollBar::ThumbDragged, 100);
    EXPECT_EQ(bar->position(), 96);

    // The wheel: two items per notch.
    bar->setPosition(0);
    w.wheel(-120, *list);
    EXPECT_EQ(bar->position(), 48);
    w.wheel(-240, *list);
    EXPECT_EQ(bar->position(), 140);
    w.wheel(120, *list);
    EXPECT_EQ(bar->position(), 92);
}

TEST_F(ListBoxTest, TrackPagingStopsWhenTheThumbReachesThePointer) {
    MarkupWindow w(kLists);
    auto* list = w.child<ListBox>(2);
    ScrollBar* bar = list->verticalBar();
    ASSERT_TRUE(bar);
    NotifyLog log;
    log.attach(*bar);
    // 960 in 250: pages of 240; the pointer 150 down the bar is reached by
    // the thumb at the second page (124 ... 177).
    w.moveCursor(262, 160);
    w.press(262, 160);
    EXPECT_EQ(bar->position(), 240);
    EXPECT_TRUE(pumpUntil(3000, [&] { return bar->position() == 480; }));
    pump(400);
    EXPECT_EQ(bar->position(), 480);
    EXPECT_EQ(log.seen.size(), 2u);
    EXPECT_TRUE(bar->repeating()) << "the timer runs on until the release";
    w.release(262, 160);
    EXPECT_FALSE(bar->repeating());
}

TEST_F(ListBoxTest, ClicksKeysAndEnterSelect) {
    MarkupWindow w(kLists);
    auto* list = w.child<ListBox>(1);
    ScrollBar* bar = list->verticalBar();
    ASSERT_TRUE(bar);
    NotifyLog log;
    log.attach(*list);
    w.window().setFocus(list);

    // Nothing selects a first item by itself; Enter without a selection
    // chooses nothing, Down then selects the first item without a Notify.
    w.key(VK_RETURN);
    EXPECT_FALSE(list->selectedItem());
    w.key(VK_DOWN);
    EXPECT_EQ(list->selectedText(), u"item 0");
    EXPECT_TRUE(log.seen.empty());
    list->select(nullptr);
    w.window().setFocus(nullptr);

    w.click(*list->item(2));
    EXPECT_EQ(w.window().focusControl(), list) << "a press focuses the list";
    EXPECT_EQ(list->selectedItem(), list->item(2));
    EXPECT_TRUE(list->item(2)->checked());
    EXPECT_EQ(list->selectedText(), u"item 2");
    ASSERT_EQ(log.seen.size(), 1u);
    EXPECT_EQ(log.last(), (std::pair<intptr_t, intptr_t>{0, 2}));
    Surface s(300, 300);
    w.render(s);
    EXPECT_EQ(s.rgb(100, 70), kDown) << "the selected item is drawn checked";
    EXPECT_EQ(s.rgb(100, 46), 0xFFFFFFu);
    w.screenshot(L"controls-listbox-selected");

    // Down moves the selection and brings it into view, without Notify.
    for (int i = 0; i < 3; ++i) w.key(VK_DOWN);
    EXPECT_EQ(list->selectedItem(), list->item(5));
    EXPECT_FALSE(list->item(2)->checked());
    EXPECT_EQ(bar->position(), 48) << "item 5 ends at 144: 144 - 96";
    EXPECT_EQ(log.seen.size(), 1u);
    w.key(VK_RETURN);
    EXPECT_EQ(log.last(), (std::pair<intptr_t, intptr_t>{0, 5}));

    for (int i = 0; i < 6; ++i) w.key(VK_UP);
    EXPECT_EQ(list->selectedItem(), list->item(0));
    EXPECT_EQ(bar->position(), 0);

    // Press on one item, release on another: no choice.
    const POINT one = MarkupWindow::centre(*list->item(1));
    const POINT three = MarkupWindow::centre(*list->item(3));
    w.press(one.x, one.y);
    w.release(three.x, three.y);
    EXPECT_EQ(list->selectedItem(), list->item(0));
    EXPECT_EQ(log.seen.size(), 2u);

    // The combo box's way in: select without Notify.
    list->select(list->item(9));
    EXPECT_EQ(list->selectedText(), u"item 9");
    EXPECT_TRUE(list->item(9)->checked());
    EXPECT_FALSE(list->item(0)->checked());
    EXPECT_EQ(bar->position(), 140);
    w.key(VK_DOWN);
    EXPECT_EQ(list->selectedItem(), list->item(9)) << "the last item stays";
    w.key(VK_UP);
    EXPECT_EQ(bar->position(), 140) << "item 8 is in view already";
    EXPECT_EQ(log.seen.size(), 2u);
}

class SliderTest : public ControlTest {};

TEST_F(SliderTest, ValueClampsAndFollowsPointerAndWheel) {
    MarkupWindow w(R"(<Window initSize="300,130" style="background.xml"><Canvas>
      <Slider id="1" x="10" y="10" width="210"/>
      <Slider id="2" x="250" y="10" height="100" orientation="vertical"/></Canvas></Window>)");
    auto* slider = w.child<Slider>(1);
    auto* upright = w.child<Slider>(2);
    ASSERT_TRUE(slider && upright);
    EXPECT_EQ(slider->bounds(), (Rect{10, 10, 220, 30})) << "as high as the thumb";
    EXPECT_EQ(upright->bounds(), (Rect{250, 10, 260, 110})) << "as wide as the thumb";
    Rect thumb;
    ASSERT_TRUE(upright->thumbRect(10, 100, thumb));
    EXPECT_EQ(thumb, (Rect{0, 40, 10, 60}));

    EventRecorder changes;
    changes.attach(*slider, EventCode::ValueChange);
    EXPECT_EQ(slider->value(), 50);
    slider->setValue(150);
    EXPECT_EQ(slider->value(), 100);
    slider->setValue(100);
    EXPECT_EQ(changes.count, 1) << "no change, no event";
    slider->setValue(-5);
    EXPECT_EQ(slider->value(), 0);
    slider->setValue(-5);
    EXPECT_EQ(changes.count, 2);

    // Press and drag: (x - 5) x 100 / 200 in the slider.
    w.press(65, 20);
    EXPECT_EQ(slider->value(), 25);
    w.move(500, 20, MK_LBUTTON);
    EXPECT_EQ(slider->value(), 100);
    w.move(0, 20, MK_LBUTTON);
    EXPECT_EQ(slider->value(), 0);
    w.release(0, 20);
    EXPECT_EQ(changes.count, 5);

    // At 50 the thumb is 110 ... 120; track left of its centre, bar right.
    slider->setValue(50);
    Surface s(300, 130);
    w.render(s);
    EXPECT_EQ(s.rgb(115, 20), kUp);
    EXPECT_EQ(s.rgb(50, 20), kSliderTrack);
    EXPECT_EQ(s.rgb(50, 12), 0x3A6EA5u) << "the track is centred at its own height";
    EXPECT_EQ(s.rgb(180, 20), kSliderBar);
    w.moveCursor(115, 20);
    EXPECT_TRUE(slider->checked()) << "the pointer is on the thumb";
    w.render(s);
    EXPECT_EQ(s.rgb(115, 20), kOver);
    w.screenshot(L"controls-slider-hovered");
    w.press(115, 20);
    w.render(s);
    EXPECT_EQ(s.rgb(115, 20), kDown);
    w.screenshot(L"controls-slider-pressed");
    w.release(115, 20);

    // The wheel adds 2 per notch; the moved thumb leaves the still pointer.
    pump(100);
    ASSERT_TRUE(slider->checked());
    w.wheelAtCursor(600);
    EXPECT_EQ(slider->value(), 60);
    EXPECT_FALSE(slider->checked()) << "a move at the cursor followed the wheel";
    w.wheel(-120, *slider);
    EXPECT_EQ(slider->value(), 58);
    w.moveCursor(290, 120);
    EXPECT_FALSE(slider->checked());

    // Upright, dragged by y: (y - 10) x 100 / 80 in the slider, 0 at the
    // top; past either end it clamps, and across does not count.
    EventRecorder upChanges;
    upChanges.attach(*upright, EventCode::ValueChange);
    EXPECT_EQ(upright->value(), 50);
    w.press(255, 60);
    EXPECT_EQ(upright->value(), 50) << "pressed on the thumb's centre: no jump";
    w.move(255, 30, MK_LBUTTON);
    EXPECT_EQ(upright->value(), 12);
    w.move(290, 30, MK_LBUTTON);
    EXPECT_EQ(upright->value(), 12);
    w.move(255, -50, MK_LBUTTON);
    EXPECT_EQ(upright->value(), 0);
    w.move(255, 500, MK_LBUTTON);
    EXPECT_EQ(upright->value(), 100);
    w.release(255, 500);
    EXPECT_EQ(upChanges.count, 3);
    ASSERT_TRUE(upright->thumbRect(10, 100, thumb));
    EXPECT_EQ(thumb, (Rect{0, 80, 10, 100})) << "at the bottom";
    EXPECT_EQ(slider->value(), 58) << "the other slider never moved";
}

// The fuzzers' markup of extreme sizes (tests/dui/corpus), in a real window
// under input everywhere: nothing faults and the window still answers.
TEST_F(SliderTest, ExtremeSizesTakeInputEverywhere) {
    MarkupWindow w(R"(<Window initSize="300,300"><Canvas>
 <ListBox itemHeight="-2147483648" width="2147483647" height="100"><Label height="2147483647"/><Label/><Label height="-5"/></ListBox>
 <ListBox itemHeight="0" height="1"><Label/><Label/></ListBox>
 <ScrollPanel scrollvertical="always" scrollhorizontal="always" width="1" height="1"><Canvas width="2147483647" height="2147483647"/></ScrollPanel>
 <ScrollPanel scrollhorizontal="auto" width="-20" height="65536"><StackPanel orientation="horizontal"><Label width="70000"/></StackPanel></ScrollPanel>
 <Slider width="3" orientation="x"/><Slider height="-1"/>
</Canvas></Window>)");
    Surface s(300, 300);
    for (int y = 0; y < 300; y += 7)
        for (int x = 0; x < 300; x += 13) {
            w.moveCursor(x, y);
            w.press(x, y);
            w.move(299 - x, 299 - y, MK_LBUTTON);
            w.release(299 - x, 299 - y);
        }
    for (UINT key : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_HOME, VK_END, VK_RETURN}) w.key(key);
    for (int delta : {120, -120, 1200, -1200}) w.wheelAtCursor(delta);
    pump(300);
    w.render(s);
    w.screenshot(L"controls-extreme-sizes");
    EXPECT_TRUE(IsWindow(w.hwnd()));
    EXPECT_EQ(SendMessageW(w.hwnd(), WM_NULL, 0, 0), 0) << "the window still answers";
}

} // namespace
} // namespace nelvo::test
