// The control tree: property bag, pools, routed and posted delivery,
// attach and detach, invalidation, hit-testing, painting order, destruction.

#include "tests/support/EventRecorder.h"
#include "tests/support/StandInWindow.h"

#include "dui/Grid.h"
#include "dui/LiveSet.h"
#include "dui/SmallObjectPool.h"
#include "dui/Style.h"
#include "dui/UiContext.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace nelvo {
namespace {

using test::EventRecorder;
using test::TestWindow;
using Log = std::vector<std::string>;

TEST(PropertyBag, StoresEachKindAndReplacesByKey) {
    Grid* g = new Grid;
    int32_t i = 7;
    EXPECT_FALSE(g->getInt(attr::width, i));
    EXPECT_EQ(i, 7) << "absence leaves the output alone";
    g->setInt(attr::width, 0);
    ASSERT_TRUE(g->getInt(attr::width, i));
    EXPECT_EQ(i, 0) << "a stored 0 is present, unlike an absent value";
    g->setInt(attr::width, -1);
    g->getInt(attr::width, i);
    EXPECT_EQ(i, -1);

    g->setRect(attr::margin, {1, 2, 3, 4});
    g->setRect(attr::margin, {5, 6, 7, 8});
    Rect r;
    ASSERT_TRUE(g->getRect(attr::margin, r));
    EXPECT_EQ(r, (Rect{5, 6, 7, 8}));
    g->setSize(attr::initSize, {504, 366});
    Size s;
    ASSERT_TRUE(g->getSize(attr::initSize, s));
    EXPECT_EQ(s, (Size{504, 366}));
    g->setText(attr::text, u"a");
    g->setText(attr::text, u"安装");
    EXPECT_EQ(g->text(), u"安装");

    // The lists are separate: an integer does not answer a text lookup.
    std::u16string t;
    EXPECT_FALSE(g->getText(attr::width, t));
    EXPECT_FALSE(g->getRect(attr::width, r));
    g->destroy();
}

TEST(PropertyBag, KeysCompareByIdentityNotText) {
    static const char16_t lookalike[] = u"width";
    Grid* g = new Grid;
    g->setInt(attr::width, 10);
    int32_t v = 0;
    EXPECT_FALSE(g->getInt(lookalike, v));
    g->setInt(lookalike, 20);
    g->getInt(attr::width, v);
    EXPECT_EQ(v, 10);
    g->destroy();
}

TEST(SmallObjectPoolTest, ReleasedSlotsGoBackToTheirOwnList) {
    void* a = SmallObjectPool::allocate(40);
    const size_t before = SmallObjectPool::freeSlots(40);
    SmallObjectPool::release(a);
    EXPECT_EQ(SmallObjectPool::freeSlots(40), before + 1);
    void* b = SmallObjectPool::allocate(40);
    EXPECT_EQ(a, b) << "the slot just released is reused first";
    SmallObjectPool::release(b);

    // Beyond 1024 bytes the general heap serves, with the same header.
    void* big = SmallObjectPool::allocate(5000);
    static_cast<char*>(big)[4999] = 1;
    SmallObjectPool::release(big);
    SmallObjectPool::release(nullptr);
}

TEST(DelegatePoolTest, ExhaustionFailsCleanlyAndCellsComeBack) {
    DelegatePool pool(3);
    int obj = 0;
    DelegateRef a = pool.acquire(&obj, &EventRecorder::handle);
    DelegateRef b = pool.acquire(&obj, &EventRecorder::handle);
    DelegateRef c = pool.acquire(&obj, &EventRecorder::handle);
    EXPECT_EQ(pool.available(), 0u);
    EXPECT_FALSE(pool.acquire(&obj, &EventRecorder::handle));
    {
        DelegateRef copy = b;
        EXPECT_EQ(b.useCount(), 2u);
        b.reset();
        EXPECT_EQ(pool.available(), 0u) << "a copy still holds the cell";
    }
    EXPECT_EQ(pool.available(), 1u);
    DelegateRef d = pool.acquire(&obj, &EventRecorder::handle);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->object(), &obj);
}

TEST(DelegatePoolTest, AddHandlerReportsTheSharedPoolRunningOut) {
    UiContext ctx;
    TestWindow w;
    Grid* root = new Grid;
    attach(w, *root);
    Log log;
    EventRecorder rec{"r", &log};

    DelegatePool& pool = DelegatePool::shared();
    std::vector<DelegateRef> hog;
    hog.reserve(pool.available());
    while (DelegateRef d = pool.acquire(nullptr, &EventRecorder::handle)) hog.push_back(std::move(d));

    EXPECT_FALSE(root->addHandler(EventCode::Click, &rec, &EventRecorder::handle));
    EXPECT_EQ(root->handlers().find(EventCode::Click), nullptr) << "nothing half-registered";
    Event e = makeEvent(EventCode::Click, Routing::Direct);
    root->raiseEvent(e);
    EXPECT_TRUE(log.empty());

    hog.pop_back();
    EXPECT_TRUE(root->addHandler(EventCode::Click, &rec, &EventRecorder::handle));
    hog.clear();
    root->raiseEvent(e);
    EXPECT_EQ(log, Log{"r"});
    root->destroy();
}

// root (Grid) > panel (Grid) > button (Control), each with two handlers for
// one code, attached to a test window.
class RoutingTest : public ::testing::Test {
public:
    void SetUp() override {
        root = new Grid;
        panel = new Grid;
        button = new Control;
        panel->addChild(button);
        root->addChild(panel);
        attach(window, *root);
        for (auto* r : {&root1, &root2, &panel1, &panel2, &button1, &button2}) r->log = &log;
    }
    void TearDown() override {
        if (root) {
            detach(*root);
            root->destroy();
        }
    }
    void listen(int32_t code) {
        EXPECT_TRUE(root->addHandler(code, &root1, &EventRecorder::handle));
        EXPECT_TRUE(root->addHandler(code, &root2, &EventRecorder::handle));
        EXPECT_TRUE(panel->addHandler(code, &panel1, &EventRecorder::handle));
        EXPECT_TRUE(panel->addHandler(code, &panel2, &EventRecorder::handle));
        EXPECT_TRUE(button->addHandler(code, &button1, &EventRecorder::handle));
        EXPECT_TRUE(button->addHandler(code, &button2, &EventRecorder::handle));
    }

    UiContext ctx;
    TestWindow window;
    Grid* root = nullptr;
    Grid* panel = nullptr;
    Control* button = nullptr;
    Log log;
    EventRecorder root1{"root1"}, root2{"root2"}, panel1{"panel1"}, panel2{"panel2"}, button1{"button1"},
        button2{"button2"};
};

TEST_F(RoutingTest, TunnelBubbleAndDirectOrder) {
    listen(EventCode::PreviewLButtonDown);
    Event e = makeEvent(EventCode::PreviewLButtonDown, Routing::Tunnel);
    EXPECT_EQ(button->raiseEvent(e), 0);
    EXPECT_EQ(log, (Log{"root1", "root2", "panel1", "panel2", "button1", "button2"}));

    log.clear();
    e = makeEvent(EventCode::PreviewLButtonDown, Routing::Bubble);
    button->raiseEvent(e);
    EXPECT_EQ(log, (Log{"button1", "button2", "panel1", "panel2", "root1", "root2"}));
    // Each handler hears from the control whose list held it.
    ASSERT_EQ(panel1.senders.size(), 2u);
    EXPECT_EQ(panel1.senders[1], panel);
    EXPECT_EQ(root2.senders[1], root);
    EXPECT_EQ(button1.senders[1], button);

    log.clear();
    e = makeEvent(EventCode::PreviewLButtonDown, Routing::Direct);
    button->raiseEvent(e);
    EXPECT_EQ(log, (Log{"button1", "button2"}));

    log.clear();
    e = makeEvent(EventCode::LButtonDown, Routing::Bubble);
    button->raiseEvent(e);
    EXPECT_TRUE(log.empty()) << "handlers are per code";
}

TEST_F(RoutingTest, HandledStopsTheRestOfTheRoute) {
    listen(EventCode::KeyDown);
    panel1.markHandled = true;
    Event e = makeEvent(EventCode::KeyDown, Routing::Bubble);
    EXPECT_NE(button->raiseEvent(e), 0);
    EXPECT_EQ(log, (Log{"button1", "button2", "panel1"}));

    log.clear();
    panel1.markHandled = false;
    root1.markHandled = true;
    e = makeEvent(EventCode::KeyDown, Routing::Tunnel);
    button->raiseEvent(e);
    EXPECT_EQ(log, (Log{"root1"}));

    log.clear();
    root1.markHandled = false;
    e = makeEvent(EventCode::KeyDown, Routing::Bubble);
    e.handled = 1;
    button->raiseEvent(e);
    EXPECT_TRUE(log.empty()) << "a record already handled reaches nobody";
}

TEST_F(RoutingTest, HandlerRemovedDuringDeliveryIsSkipped) {
    listen(EventCode::MouseMove);
    button1.context = this;
    button1.action = [](EventRecorder& self, Control*, Event*) {
        auto* t = static_cast<RoutingTest*>(self.context);
        t->button->removeHandler(EventCode::MouseMove, &t->button2, &EventRecorder::handle);
        t->root->removeHandler(EventCode::MouseMove, &t->root1, &EventRecorder::handle);
    };
    Event e = makeEvent(EventCode::MouseMove, Routing::Bubble);
    button->raiseEvent(e);
    EXPECT_EQ(log, (Log{"button1", "panel1", "panel2", "root2"}));

    // Removing what is not registered does nothing.
    button->removeHandler(EventCode::MouseMove, &button2, &EventRecorder::handle);
    button->removeHandler(EventCode::Click, &button1, &EventRecorder::handle);
    log.clear();
    button->raiseEvent(e = makeEvent(EventCode::MouseMove, Routing::Bubble));
    EXPECT_EQ(log, (Log{"button1", "panel1", "panel2", "root2"}));
}

TEST_F(RoutingTest, ControlDestroyedByItsOwnHandlerWhileTheEventIsInFlight) {
    listen(EventCode::LButtonUp);
    EventRecorder detached{"button detached", &log};
    EXPECT_TRUE(button->addHandler(EventCode::Detached, &detached, &EventRecorder::handle));
    button1.context = this;
    button1.action = [](EventRecorder& self, Control*, Event*) {
        auto* t = static_cast<RoutingTest*>(self.context);
        t->button->destroy();
        t->button = nullptr;
    };
    Event e = makeEvent(EventCode::LButtonUp, Routing::Bubble);
    Control* gone = button;
    button->raiseEvent(e);
    EXPECT_EQ(log, (Log{"button1", "button detached", "panel1", "panel2", "root1", "root2"}));
    EXPECT_EQ(panel->childCount(), 0);
    EXPECT_EQ(panel->firstChild(), nullptr);
    EXPECT_FALSE(LiveSet::contains(gone));
    ASSERT_FALSE(window.forgotten.empty());
    EXPECT_EQ(window.forgotten.back(), gone);
    for (Control* s : panel1.senders) EXPECT_NE(s, gone);
}

TEST_F(RoutingTest, RoutesLongerThanSixteenDelegatesReachEveryHandlerInOrder) {
    std::vector<EventRecorder> recorders(45);
    Control* owners[3] = {root, panel, button};
    for (int i = 0; i < 45; ++i) {
        recorders[i].name = std::to_string(i);
        recorders[i].log = &log;
        EXPECT_TRUE(owners[i / 15]->addHandler(EventCode::KeyUp, &recorders[i], &EventRecorder::handle));
    }
    Event e = makeEvent(EventCode::KeyUp, Routing::Tunnel);
    button->raiseEvent(e);
    ASSERT_EQ(log.size(), 45u);
    for (int i = 0; i < 45; ++i) EXPECT_EQ(log[i], std::to_string(i));

    log.clear();
    e = makeEvent(EventCode::KeyUp, Routing::Bubble);
    button->raiseEvent(e);
    ASSERT_EQ(log.size(), 45u);
    Log expected;
    for (int owner = 2; owner >= 0; --owner)
        for (int i = 0; i < 15; ++i) expected.push_back(std::to_string(owner * 15 + i));
    EXPECT_EQ(log, expected);

    // Handled still stops a long route where it should.
    log.clear();
    recorders[20].markHandled = true;
    e = makeEvent(EventCode::KeyUp, Routing::Tunnel);
    button->raiseEvent(e);
    EXPECT_EQ(log.size(), 21u);
}

TEST_F(RoutingTest, NothingIsDeliveredToADetachedControl) {
    listen(EventCode::Notify);
    detach(*root);
    Event e = makeEvent(EventCode::Notify, Routing::Bubble);
    EXPECT_EQ(button->raiseEvent(e), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(button->invalidate(true), 0);
    Rect r;
    EXPECT_FALSE(button->windowRect(r));
}

TEST_F(RoutingTest, PostedEventsRunLaterWithHandledCleared) {
    listen(EventCode::Click);
    Event e = makeEvent(EventCode::Click, Routing::Direct, 5, 6);
    e.handled = 1;
    button->postEvent(e);
    EXPECT_TRUE(log.empty()) << "posting never delivers at once";
    EXPECT_EQ(ctx.queuedTasks(), 1u);
    EXPECT_EQ(ctx.runPostedTasks(), 1u);
    EXPECT_EQ(log, (Log{"button1", "button2"}));
}

TEST_F(RoutingTest, PostedEventToAControlThatLeftItsWindowIsDropped) {
    listen(EventCode::Click);
    button->postEvent(makeEvent(EventCode::Click, Routing::Direct));
    detach(*root);
    ctx.runPostedTasks();
    EXPECT_TRUE(log.empty());
    // Back in a window it is a new attachment: the old post stays dropped.
    button->postEvent(makeEvent(EventCode::Click, Routing::Direct));
    attach(window, *root);
    ctx.runPostedTasks();
    EXPECT_TRUE(log.empty());
}

TEST_F(RoutingTest, ClickPostedBeforeTheWindowWentIsNotDeliveredToAControlReusingTheSlot) {
    button1.context = this;
    button1.action = [](EventRecorder& self, Control*, Event*) {
        // A click handler that tears the whole tree down.
        auto* t = static_cast<RoutingTest*>(self.context);
        detach(*t->root);
        t->root->destroy();
        t->root = nullptr;
    };
    EXPECT_TRUE(button->addHandler(EventCode::LButtonUp, &button1, &EventRecorder::handle));
    button->postEvent(makeEvent(EventCode::Click, Routing::Direct));
    Event up = makeEvent(EventCode::LButtonUp, Routing::Direct);
    Control* old = button;
    button->raiseEvent(up);

    // A new control very likely takes the freed slot.
    Control* fresh = new Control;
    Grid* newRoot = new Grid;
    newRoot->addChild(fresh);
    attach(window, *newRoot);
    EventRecorder clicked{"clicked", &log};
    EXPECT_TRUE(fresh->addHandler(EventCode::Click, &clicked, &EventRecorder::handle));
    ASSERT_EQ(fresh, old) << "the pool hands the freed slot out again, which is what makes this case real";
    ctx.runPostedTasks();
    EXPECT_EQ(log, (Log{"button1"})) << "the Click belonged to the destroyed button";
    detach(*newRoot);
    newRoot->destroy();
}

TEST(PostedEvent, WithoutARunningFrameworkNothingHappens) {
    TestWindow w;
    Grid* g = new Grid;
    attach(w, *g);
    ASSERT_EQ(UiContext::current(), nullptr);
    EventRecorder r;
    EXPECT_TRUE(g->addHandler(static_cast<int32_t>(EventCode::Click), &r, EventRecorder::handle));
    g->postEvent(makeEvent(EventCode::Click, Routing::Direct));  // freed, not leaked (LeakSanitizer)
    EXPECT_TRUE(r.senders.empty()) << "not delivered at once";
    {
        // Nor kept anywhere for a framework started later.
        UiContext context;
        EXPECT_EQ(context.queuedTasks(), 0u);
        EXPECT_EQ(context.runPostedTasks(), 0u);
    }
    EXPECT_TRUE(r.senders.empty());
    detach(*g);
    g->destroy();
}

TEST(PostedEvent, PostsFromAnotherThreadAndAcrossTheTeardown) {
    TestWindow w;
    Grid* g = new Grid;
    attach(w, *g);
    int delivered = 0;
    EXPECT_TRUE(g->addHandler(EventCode::Click, &delivered, [](void* o, Control*, Event*) { ++*static_cast<int*>(o); }));
    auto ctx = std::make_unique<UiContext>();

    // Every post from the other thread is delivered on this one.
    std::atomic<int> posted{0};
    std::thread poster([&] {
        for (int i = 0; i < 500; ++i, ++posted) g->postEvent(makeEvent(EventCode::Click, Routing::Direct));
    });
    while (posted < 500) ctx->runPostedTasks();
    poster.join();
    ctx->runPostedTasks();
    EXPECT_EQ(delivered, 500);

    // Posts racing the teardown either land before it (and are freed with
    // the context) or find no context; none leaks or runs afterwards.
    std::atomic<bool> started{false};
    std::thread racer([&] {
        for (int i = 0; i < 2000; ++i) {
            g->postEvent(makeEvent(EventCode::Click, Routing::Direct));
            started = true;
        }
    });
    while (!started) std::this_thread::yield();
    ctx.reset();
    racer.join();
    EXPECT_EQ(delivered, 500);
    detach(*g);
    g->destroy();
}

TEST(AttachDetach, OrderIdMapAndForget) {
    UiContext ctx;
    TestWindow w;
    Log log;
    Grid* root = new Grid;
    Grid* page = new Grid;
    Control* a = new Control;
    Control* b = new Control;
    a->setInt(attr::id, 7);
    b->setInt(attr::id, 7);
    page->setInt(attr::id, 2000);
    page->addChild(a);
    page->addChild(b);
    root->addChild(page);
    EventRecorder rRoot{"root", &log}, rPage{"page", &log}, rA{"a", &log}, rB{"b", &log};
    for (auto [c, r] : {std::pair<Control*, EventRecorder*>{root, &rRoot}, {page, &rPage}, {a, &rA}, {b, &rB}}) {
        EXPECT_TRUE(c->addHandler(EventCode::Attached, r, &EventRecorder::handle));
        EXPECT_TRUE(c->addHandler(EventCode::Detached, r, &EventRecorder::handle));
    }

    attach(w, *root);
    EXPECT_EQ(log, (Log{"root", "page", "a", "b"})) << "pre-order";
    EXPECT_EQ(w.childById(7), b) << "the control attached later wins";
    EXPECT_EQ(w.childById(2000), page);
    EXPECT_EQ(a->window(), &w);
    EXPECT_TRUE(LiveSet::contains(a));

    log.clear();
    detach(*root);
    EXPECT_EQ(log, (Log{"a", "b", "page", "root"})) << "post-order";
    EXPECT_EQ(w.forgotten, (std::vector<Control*>{a, b, page, root}));
    EXPECT_EQ(w.childById(7), nullptr);
    EXPECT_EQ(w.childById(2000), nullptr);
    EXPECT_EQ(a->window(), nullptr);
    EXPECT_FALSE(LiveSet::contains(root));

    log.clear();
    detach(*root);
    EXPECT_TRUE(log.empty()) << "detaching twice raises nothing";
    root->destroy();
}

TEST(AttachDetach, ChildAddedToAnAttachedPanelJoinsTheWindow) {
    UiContext ctx;
    TestWindow w;
    Grid* root = new Grid;
    attach(w, *root);
    Grid* sub = new Grid;
    Control* leaf = new Control;
    leaf->setInt(attr::id, 42);
    sub->addChild(leaf);
    EXPECT_FALSE(LiveSet::contains(leaf)) << "building attaches nothing";
    root->addChild(sub);
    EXPECT_TRUE(LiveSet::contains(leaf));
    EXPECT_EQ(w.childById(42), leaf);
    EXPECT_EQ(root->childCount(), 1);
    root->destroy();  // detaches on the way
    EXPECT_EQ(w.childById(42), nullptr);
}

#if !defined(NDEBUG) && GTEST_HAS_DEATH_TEST
// A control is in one child list at a time: adding it to a second panel
// would leave the first one's list pointing at it.
TEST(AttachDetachDeathTest, AddingAControlThatHasAParentIsABrokenInvariant) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Grid* first = new Grid;
    Grid* second = new Grid;
    Control* child = new Control;
    first->addChild(child);
    EXPECT_DEATH(second->addChild(child), "one parent");
    EXPECT_EQ(child->parent(), first);
    first->destroy();
    second->destroy();
}
#endif

TEST(ControlState, SetCheckedRaisesOnlyOnChange) {
    UiContext ctx;
    TestWindow w;
    Grid* root = new Grid;
    Control* box = new Control;
    root->addChild(box);
    attach(w, *root);
    root->setBounds({0, 0, 504, 366});
    box->setBounds({10, 10, 30, 30});
    Log log;
    EventRecorder r{"changed", &log};
    EXPECT_TRUE(box->addHandler(EventCode::ValueChange, &r, &EventRecorder::handle));
    box->setChecked(true);
    box->setChecked(true);
    EXPECT_EQ(log, Log{"changed"});
    EXPECT_TRUE(box->checked());
    EXPECT_EQ(w.deferredUpdates, 1);
    box->setChecked(false);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_FALSE(box->checked());
    root->destroy();
}

TEST(ControlState, IsPanelCannotBeForged) {
    Control* c = new Control;
    c->setFlag(ControlFlag::IsPanel | ControlFlag::Checked, true);
    EXPECT_EQ(c->asPanel(), nullptr);
    EXPECT_TRUE(c->checked());
    EXPECT_EQ(c->flags() & 3u, 3u) << "Enabled and Visible from the start";
    c->destroy();
}

TEST(Invalidation, WindowRectClippedToTheClientArea) {
    UiContext ctx;
    TestWindow w;
    Grid* root = new Grid;
    Grid* page = new Grid;
    Control* btn = new Control;
    page->addChild(btn);
    root->addChild(page);
    attach(w, *root);
    root->setBounds({0, 0, 504, 366});
    page->setBounds({0, 24, 504, 366});
    btn->setBounds({418, 296, 480, 322});

    Rect r;
    ASSERT_TRUE(btn->windowRect(r));
    EXPECT_EQ(r, (Rect{418, 320, 480, 346}));
    EXPECT_EQ(btn->invalidate(true), 1);
    ASSERT_EQ(w.invalidated.size(), 1u);
    EXPECT_EQ(w.invalidated[0], (Rect{418, 320, 480, 346}));
    EXPECT_EQ(w.immediateUpdates, 1);

    btn->setBounds({500, 340, 600, 400});
    EXPECT_EQ(btn->invalidate(false), 1);
    EXPECT_EQ(w.invalidated[1], (Rect{500, 364, 504, 366}));
    btn->setBounds({600, 0, 700, 10});
    EXPECT_EQ(btn->invalidate(false), 0) << "nothing of it is inside the window";
    EXPECT_EQ(w.invalidated.size(), 2u);

    w.cursor = {430, 330};
    btn->setBounds({418, 296, 480, 322});
    Point p;
    ASSERT_TRUE(btn->cursorPosition(p));
    EXPECT_EQ(p, (Point{12, 10}));
    root->destroy();
}

TEST(HitTesting, TopmostFirstAndTransparency) {
    UiContext ctx;
    TestWindow w;
    Grid* root = new Grid;
    Control* below = new Control;
    Grid* panel = new Grid;
    Control* inner = new Control;
    Control* label = new Control;
    root->addChild(below);
    root->addChild(panel);
    panel->addChild(inner);
    root->addChild(label);
    attach(w, *root);
    root->setBounds({0, 0, 200, 200});
    below->setBounds({0, 0, 100, 100});
    panel->setBounds({50, 50, 150, 150});
    inner->setBounds({0, 0, 20, 20});  // (50..70) in root coordinates
    label->setBounds({0, 0, 100, 100});

    EXPECT_EQ(root->hitTest(10, 10), label) << "the last child is on top";
    label->setFlag(ControlFlag::HitTransparent, true);
    EXPECT_EQ(root->hitTest(10, 10), below) << "a transparent leaf lets the press through";
    EXPECT_EQ(root->hitTest(55, 55), inner);
    EXPECT_EQ(root->hitTest(100, 100), panel) << "inside the panel, on no child";
    EXPECT_EQ(root->hitTest(150, 150), root) << "right and bottom edges are outside";
    panel->setFlag(ControlFlag::HitTransparent, true);
    EXPECT_EQ(root->hitTest(55, 55), below) << "a transparent panel hides its subtree";
    panel->setFlag(ControlFlag::HitTransparent, false);
    inner->setFlag(ControlFlag::Visible, false);
    EXPECT_EQ(root->hitTest(55, 55), panel);
    EXPECT_EQ(root->hitTest(-1, 5), nullptr);
    root->destroy();
}

// Records the paint calls it gets.
class PaintProbe : public Control {
public:
    std::vector<std::pair<Rect, Rect>>* calls = nullptr;
    void paint(DeviceContext, const Rect& bounds, const Rect& clip) override { calls->push_back({bounds, clip}); }
};

TEST(Painting, ChildrenInOrderOffsetAndClipped) {
    std::vector<std::pair<Rect, Rect>> calls;
    Grid* root = new Grid;
    Grid* page = new Grid;
    root->addChild(page);
    PaintProbe* probes[4];
    for (auto*& p : probes) {
        p = new PaintProbe;
        p->calls = &calls;
        page->addChild(p);
    }
    page->setBounds({0, 24, 504, 366});
    probes[0]->setBounds({10, 10, 50, 50});
    probes[1]->setBounds({600, 0, 700, 10});  // outside the clip
    probes[2]->setBounds({20, 20, 40, 40});
    probes[2]->setFlag(ControlFlag::Visible, false);
    probes[3]->setBounds({0, 300, 100, 400});
    root->paint(nullptr, {0, 0, 504, 366}, {0, 0, 504, 366});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, (Rect{10, 34, 50, 74}));
    EXPECT_EQ(calls[0].second, (Rect{10, 34, 50, 74}));
    EXPECT_EQ(calls[1].first, (Rect{0, 324, 100, 424}));
    EXPECT_EQ(calls[1].second, (Rect{0, 324, 100, 366}));
    root->destroy();
}

// A style that records the controls it draws, served by a stand-in cache.
struct RecordingStyle : Style {
    std::vector<std::pair<Control*, Rect>> drawn;
    void draw(DeviceContext, const Rect& rect, Control* control) override { drawn.push_back({control, rect}); }
};
struct OneStyleSource : StyleSource {
    RecordingStyle* style = nullptr;
    Style* getStyle(std::u16string_view name) override { return name == u"button.xml" ? style : nullptr; }
};

TEST(Painting, DefaultPaintDrawsTheNamedStyle) {
    UiContext ctx;
    RecordingStyle* style = new RecordingStyle;
    OneStyleSource source;
    source.style = style;
    ctx.setStyleSource(&source);
    Grid* root = new Grid;
    Control* named = new Control;
    Control* unknown = new Control;
    Control* plain = new Control;
    named->setText(attr::style, u"button.xml");
    unknown->setText(attr::style, u"missing.xml");
    for (Control* c : {named, unknown, plain}) {
        c->setBounds({5, 5, 25, 25});
        root->addChild(c);
    }
    root->paint(nullptr, {100, 100, 200, 200}, {0, 0, 504, 366});
    ASSERT_EQ(style->drawn.size(), 1u) << "a missing or absent style draws nothing";
    EXPECT_EQ(style->drawn[0].first, named);
    EXPECT_EQ(style->drawn[0].second, (Rect{105, 105, 125, 125}));
    root->destroy();
    delete style;
    ctx.setStyleSource(nullptr);
}

std::vector<Control*>* g_released = nullptr;

TEST(Destruction, ClearsHandlersReleasesScriptObjectsChildrenLastToFirst) {
    std::vector<Control*> released;
    g_released = &released;
    Control::setScriptReleaseHook([](Control* c) { g_released->push_back(c); });

    Grid* root = new Grid;
    Control* a = new Control;
    Control* b = new Control;
    Control* c = new Control;
    root->addChild(a);
    root->addChild(b);
    root->addChild(c);
    for (Control* x : {static_cast<Control*>(root), a, b, c}) x->setFlag(ControlFlag::ScriptBound, true);
    EventRecorder r{"r"};
    DelegateRef kept = b->addHandler(EventCode::Click, &r, &EventRecorder::handle);
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->cleared());

    root->destroy();
    EXPECT_EQ(released, (std::vector<Control*>{c, b, a, root}));
    EXPECT_TRUE(kept->cleared()) << "a delegate outliving its control never runs";
    Control::setScriptReleaseHook(nullptr);
    g_released = nullptr;
}

TEST(AppEvents, RegistrationOrderNullSenderAndHandled) {
    UiContext ctx;
    Log log;
    EventRecorder first{"first", &log}, second{"second", &log}, third{"third", &log};
    EXPECT_TRUE(ctx.addAppHandler(EventCode::AppNotify, &first, &EventRecorder::handle));
    EXPECT_TRUE(ctx.addAppHandler(EventCode::AppNotify, &second, &EventRecorder::handle));
    EXPECT_TRUE(ctx.addAppHandler(EventCode::AppNotify, &third, &EventRecorder::handle));
    EXPECT_TRUE(ctx.addAppHandler(EventCode::Click, &third, &EventRecorder::handle));

    Event e = makeEvent(EventCode::AppNotify, Routing::Direct);
    ctx.raiseAppEvent(e);
    EXPECT_EQ(log, (Log{"first", "second", "third"}));
    EXPECT_EQ(first.senders[0], nullptr);

    log.clear();
    second.markHandled = true;
    e = makeEvent(EventCode::AppNotify, Routing::Direct);
    EXPECT_NE(ctx.raiseAppEvent(e), 0);
    EXPECT_EQ(log, (Log{"first", "second"}));

    log.clear();
    ctx.removeAppHandler(EventCode::AppNotify, &second, &EventRecorder::handle);
    e = makeEvent(EventCode::AppNotify, Routing::Direct);
    ctx.raiseAppEvent(e);
    EXPECT_EQ(log, (Log{"first", "third"}));
}

TEST(AppEvents, AnswerTravelsBackInTheRecord) {
    UiContext ctx;
    EventRecorder answer{"answer"};
    answer.action = [](EventRecorder&, Control*, Event* e) { e->param2 = 1; };
    EXPECT_TRUE(ctx.addAppHandler(EventCode::AppNotify, &answer, &EventRecorder::handle));
    static const char text[] = "{code=4}";
    Event e = makeEvent(EventCode::AppNotify, Routing::Direct, reinterpret_cast<intptr_t>(text), 0);
    ctx.raiseAppEvent(e);
    EXPECT_EQ(e.param2, 1);
}

} // namespace
} // namespace nelvo
