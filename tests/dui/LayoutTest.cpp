// Layout: measure and arrange with margins, sizes and alignment, and the
// four panels, with the figures worked out by hand.

#include "tests/support/StandInWindow.h"

#include "dui/Canvas.h"
#include "dui/DockPanel.h"
#include "dui/DpiScale.h"
#include "dui/Grid.h"
#include "dui/StackPanel.h"

#include <gtest/gtest.h>

namespace nelvo {
namespace {

using test::TestWindow;

// A leaf whose content has a fixed size.
class Block : public Control {
public:
    Block(int32_t w, int32_t h) : w_(w), h_(h) {}
    Size measureOverride(int32_t, int32_t) override { return {w_, h_}; }

private:
    int32_t w_, h_;
};

class LayoutTest : public ::testing::Test {
protected:
    template <typename P>
    P* rootOf() {
        auto* p = new P;
        root.reset(p);
        return p;
    }
    // Attaches, measures with (w, h) and arranges at (0, 0, w, h).
    void layout(int32_t w, int32_t h) {
        if (!root->attached()) attach(window, *root);
        root->measure(w, h);
        root->arrange({0, 0, w, h});
    }
    static Control* add(Panel* p, Control* c) {
        p->addChild(c);
        return c;
    }
    static void margin(Control* c, Rect m) { c->setRect(attr::margin, m); }
    static void align(Control* c, Keyword h, Keyword v) {
        if (h != Keyword::None) c->setInt(attr::horizontalAlign, static_cast<int32_t>(h));
        if (v != Keyword::None) c->setInt(attr::verticalAlign, static_cast<int32_t>(v));
    }
    static void size(Control* c, int32_t w, int32_t h) {
        if (w != -2) c->setInt(attr::width, w);
        if (h != -2) c->setInt(attr::height, h);
    }

    TestWindow window;
    ControlPtr root;
};

TEST_F(LayoutTest, NothingHappensToADetachedControl) {
    Grid* g = rootOf<Grid>();
    g->setBounds({1, 2, 3, 4});
    EXPECT_EQ(g->measure(100, 100), (Size{0, 0}));
    g->arrange({0, 0, 100, 100});
    EXPECT_EQ(g->bounds(), (Rect{}));
}

TEST_F(LayoutTest, LabelWithLeftMarginAndWidthInAWideRow) {
    Grid* g = rootOf<Grid>();
    Control* label = add(g, new Block(80, 12));
    margin(label, {26, 0, 0, 0});
    size(label, 200, -2);
    align(label, Keyword::Left, Keyword::Center);
    layout(504, 24);
    EXPECT_EQ(label->desiredSize(), (Size{226, 12}));
    EXPECT_EQ(label->bounds(), (Rect{26, 6, 226, 18}));
}

TEST_F(LayoutTest, TwoRightAlignedButtonsSitSideBySide) {
    Grid* g = rootOf<Grid>();
    Control* minimise = add(g, new Control);
    Control* close = add(g, new Control);
    margin(minimise, {0, 0, 29, 0});
    margin(close, {0, 0, 4, 0});
    for (Control* b : {minimise, close}) {
        size(b, 25, 17);
        align(b, Keyword::Right, Keyword::Center);
    }
    layout(504, 24);
    EXPECT_EQ(minimise->bounds(), (Rect{450, 3, 475, 20}));
    EXPECT_EQ(close->bounds(), (Rect{475, 3, 500, 20}));
}

TEST_F(LayoutTest, BottomAlignedPageStartsBelowTheTitleStrip) {
    Grid* g = rootOf<Grid>();
    Control* page = add(g, new Grid);
    size(page, -2, 342);
    align(page, Keyword::None, Keyword::Bottom);
    layout(504, 366);
    EXPECT_EQ(page->bounds(), (Rect{0, 24, 504, 366}));
}

TEST_F(LayoutTest, MarginsLargerThanTheSlotGiveEmptyBounds) {
    Grid* g = rootOf<Grid>();
    Control* squeezed = add(g, new Block(10, 10));
    margin(squeezed, {60, 0, 50, 0});
    Control* tall = add(g, new Block(10, 10));
    margin(tall, {0, 30, 0, 20});
    layout(100, 50);
    EXPECT_EQ(squeezed->desiredSize(), (Size{0, 0}));
    EXPECT_EQ(squeezed->bounds(), (Rect{}));
    EXPECT_EQ(tall->bounds(), (Rect{}));
    EXPECT_EQ(g->hitTest(55, 25), g) << "an empty control is never hit";
}

TEST_F(LayoutTest, ExplicitSizesAlignmentAndOversizedContent) {
    Grid* g = rootOf<Grid>();
    size(g, 200, 100);  // or the oversized child would widen the root itself
    Control* centred = add(g, new Block(0, 0));
    size(centred, 51, 21);
    align(centred, Keyword::Center, Keyword::Center);
    Control* stretched = add(g, new Block(30, 30));
    margin(stretched, {10, 20, 30, 40});
    Control* big = add(g, new Block(300, 10));
    align(big, Keyword::Right, Keyword::Top);
    Control* noKeyword = add(g, new Block(20, 10));
    noKeyword->setInt(attr::horizontalAlign, 0);  // a value that was not a keyword
    noKeyword->setInt(attr::verticalAlign, 0);
    Control* automatic = add(g, new Block(20, 10));
    size(automatic, -1, -1);
    Control* zero = add(g, new Block(20, 10));
    size(zero, 0, -2);
    layout(200, 100);
    EXPECT_EQ(centred->bounds(), (Rect{74, 39, 125, 60})) << "(0 + 200 - 51) / 2 truncates";
    EXPECT_EQ(stretched->bounds(), (Rect{10, 20, 170, 60}));
    EXPECT_EQ(big->bounds(), (Rect{0, 0, 300, 10})) << "kept at the inner left edge, runs past the right";
    EXPECT_EQ(noKeyword->bounds(), (Rect{0, 0, 20, 10})) << "no keyword places like left/top at content size";
    EXPECT_EQ(automatic->bounds(), (Rect{0, 0, 200, 100})) << "-1 means automatic";
    EXPECT_EQ(zero->bounds(), (Rect{}));
    EXPECT_EQ(g->desiredSize(), (Size{200, 100}));
    EXPECT_EQ(g->bounds(), (Rect{0, 0, 200, 100}));
}

TEST_F(LayoutTest, NegativeCentringTruncatesTowardZero) {
    Grid* g = rootOf<Grid>();
    Control* c = add(g, new Block(0, 0));
    margin(c, {-20, 0, 0, 0});
    size(c, 7, 5);
    align(c, Keyword::Center, Keyword::Top);
    layout(4, 10);
    // x0 = -20, x1 = 4: (-20 + 4 - 7) / 2 = -23 / 2 = -11 (not -12).
    EXPECT_EQ(c->bounds(), (Rect{-11, 0, -4, 5}));
}

TEST_F(LayoutTest, GridOverlaysChildrenAndMeasuresTheLargest) {
    Grid* g = rootOf<Grid>();
    add(g, new Block(40, 10));
    add(g, new Block(10, 70));
    attach(window, *g);
    EXPECT_EQ(g->measure(500, 500), (Size{40, 70}));
    Grid* empty = new Grid;
    g->addChild(empty);
    EXPECT_EQ(empty->measure(100, 100), (Size{0, 0}));
}

TEST_F(LayoutTest, CanvasPlacesByPositionAndCountsNegativesFromTheFarEdge) {
    Canvas* c = rootOf<Canvas>();
    Control* a = add(c, new Block(20, 10));
    a->setInt(attr::x, -10);
    a->setInt(attr::y, 5);
    Control* b = add(c, new Block(30, 40));
    b->setInt(attr::y, -40);
    Control* atOrigin = add(c, new Block(5, 5));
    layout(300, 200);
    EXPECT_EQ(c->desiredSize(), (Size{0, 0}));
    EXPECT_EQ(a->bounds(), (Rect{290, 5, 310, 15}));
    EXPECT_EQ(b->bounds(), (Rect{0, 160, 30, 200}));
    EXPECT_EQ(atOrigin->bounds(), (Rect{0, 0, 5, 5}));
}

TEST_F(LayoutTest, VerticalStackPanel) {
    StackPanel* s = rootOf<StackPanel>();
    Control* a = add(s, new Block(50, 20));
    Control* b = add(s, new Block(80, 30));
    align(b, Keyword::Left, Keyword::None);
    Control* c = add(s, new Block(10, 10));
    margin(c, {5, 5, 5, 5});
    layout(200, 300);
    EXPECT_EQ(s->desiredSize(), (Size{80, 70}));
    EXPECT_EQ(a->bounds(), (Rect{0, 0, 200, 20})) << "stretch spans the panel's width";
    EXPECT_EQ(b->bounds(), (Rect{0, 20, 80, 50}));
    EXPECT_EQ(c->bounds(), (Rect{5, 55, 195, 65}));
}

TEST_F(LayoutTest, HorizontalStackPanel) {
    StackPanel* s = rootOf<StackPanel>();
    s->setInt(attr::orientation, static_cast<int32_t>(Keyword::Horizontal));
    Control* a = add(s, new Block(50, 20));
    Control* b = add(s, new Block(80, 30));
    align(b, Keyword::None, Keyword::Bottom);
    layout(300, 100);
    EXPECT_EQ(s->desiredSize(), (Size{130, 30}));
    EXPECT_EQ(a->bounds(), (Rect{0, 0, 50, 100}));
    EXPECT_EQ(b->bounds(), (Rect{50, 70, 130, 100}));
}

TEST_F(LayoutTest, DockPanelSidesAndTheLastChildFillingTheRest) {
    DockPanel* d = rootOf<DockPanel>();
    Control* left = add(d, new Block(30, 10));
    Control* top = add(d, new Block(10, 20));
    top->setInt(attr::dock, static_cast<int32_t>(Keyword::Top));
    Control* right = add(d, new Block(40, 10));
    right->setInt(attr::dock, static_cast<int32_t>(Keyword::Right));
    Control* bottom = add(d, new Block(10, 25));
    bottom->setInt(attr::dock, static_cast<int32_t>(Keyword::Bottom));
    Control* rest = add(d, new Block(5, 5));
    rest->setInt(attr::dock, static_cast<int32_t>(Keyword::Left));
    layout(200, 100);
    // Measure: left uw 30 mh 10; top mw 40 uh 20; right mh 30 uw 70;
    // bottom mw 80 uh 45; rest (left) mh 50 uw 75 -> (max(75, 80), max(45, 50)).
    EXPECT_EQ(d->desiredSize(), (Size{80, 50}));
    EXPECT_EQ(left->bounds(), (Rect{0, 0, 30, 100}));
    EXPECT_EQ(top->bounds(), (Rect{30, 0, 200, 20}));
    EXPECT_EQ(right->bounds(), (Rect{160, 20, 200, 100}));
    EXPECT_EQ(bottom->bounds(), (Rect{30, 75, 160, 100}));
    EXPECT_EQ(rest->bounds(), (Rect{30, 20, 160, 75})) << "the last child fills what is left";
}

TEST_F(LayoutTest, DockPanelWithAnUnknownDockValue) {
    DockPanel* d = rootOf<DockPanel>();
    Control* odd = add(d, new Block(30, 10));
    odd->setInt(attr::dock, 0);
    Control* last = add(d, new Block(10, 10));
    layout(100, 100);
    // Measure adds nothing for it; arrange docks it at the bottom.
    EXPECT_EQ(d->desiredSize(), (Size{10, 10}));
    EXPECT_EQ(odd->bounds(), (Rect{0, 90, 100, 100}));
    EXPECT_EQ(last->bounds(), (Rect{0, 0, 100, 90}));
}

TEST_F(LayoutTest, HostileNumbersWrapInsteadOfOverflowing) {
    Grid* g = rootOf<Grid>();
    Control* c = add(g, new Block(INT32_MAX, INT32_MAX));
    margin(c, {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN});
    Control* d = add(g, new Block(0, 0));
    size(d, INT32_MAX, INT32_MIN);
    Canvas* canvas = new Canvas;
    add(g, canvas);
    Control* e = add(canvas, new Block(10, 10));
    e->setInt(attr::x, INT32_MAX - 5);
    layout(INT32_MAX, INT32_MAX);  // the sanitizers stop on an overflow

    // c: the margins sum to -2, which leaves no room at all.
    EXPECT_EQ(c->desiredSize(), (Size{0, 0}));
    EXPECT_EQ(c->bounds(), (Rect{}));
    // d: the explicit sizes are taken as they are; a negative height
    // arranges to nothing.
    EXPECT_EQ(d->desiredSize(), (Size{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(d->bounds(), (Rect{}));
    EXPECT_EQ(g->desiredSize(), (Size{INT32_MAX, 0})) << "the largest child on each axis; a canvas asks for nothing";
    EXPECT_EQ(g->bounds(), (Rect{0, 0, INT32_MAX, INT32_MAX}));
    // e: placed near the far end, its right edge wraps around; moving it
    // into window coordinates keeps its width.
    EXPECT_EQ(e->bounds(), (Rect{INT32_MAX - 5, 0, INT32_MIN + 4, 10}));
    EXPECT_EQ(e->bounds().width(), 10);
    Rect r;
    canvas->setRect(attr::margin, {100, 0, 0, 0});
    layout(INT32_MAX, INT32_MAX);
    ASSERT_TRUE(e->windowRect(r));
    EXPECT_EQ(r, (Rect{INT32_MIN + 94, 0, INT32_MIN + 104, 10}));
}

// Layout units against device pixels at the four scales: what a layout
// rectangle draws (rounded to the nearest pixel) lies inside what its
// invalidation repaints, the layout clip of a repainted device rectangle
// covers it, and 96 DPI converts nothing.
TEST(DpiScaleTest, RepaintsCoverWhatIsDrawnAtEveryScale) {
    const Rect rects[] = {{0, 0, 504, 366}, {3, 7, 4, 8}, {-5, -3, 11, 1}, {1, 1, 2, 2}, {-7, 5, -2, 9}};
    for (int32_t dpi : {96, 120, 144, 192}) {
        const DpiScale scale{dpi};
        for (const Rect& r : rects) {
            const Rect drawn = scale.toDevice(r), repainted = scale.toDeviceCovering(r);
            EXPECT_TRUE(repainted.left <= drawn.left && repainted.top <= drawn.top && repainted.right >= drawn.right &&
                        repainted.bottom >= drawn.bottom)
                << dpi;
            const Rect units = scale.toUnitsCovering(r);
            const Rect back = scale.toDeviceCovering(units);
            EXPECT_TRUE(back.left <= r.left && back.top <= r.top && back.right >= r.right && back.bottom >= r.bottom)
                << dpi;
            if (scale.identity()) {
                EXPECT_EQ(drawn, r);
                EXPECT_EQ(repainted, r);
                EXPECT_EQ(units, r);
            }
        }
    }
    // Halves round up, as GDI's transform rounds them; a pointer in a pixel
    // is in the unit that covers it, left of zero too.
    EXPECT_EQ(DpiScale{120}.toDevice(Size{504, 366}), (Size{630, 458}));
    EXPECT_EQ(DpiScale{192}.toDevice(Size{504, 366}), (Size{1008, 732}));
    EXPECT_EQ(DpiScale{144}.toUnits(Point{755, -1}), (Point{503, -1}));
}

} // namespace
} // namespace nelvo
