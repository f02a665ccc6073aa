// Panel painting on a real device context: each child paints clipped to
// the part of its bounds inside the panel's clip, and the context's state
// is restored after every child.

#include "base/UniqueHandle.h"
#include "dui/Grid.h"
#include "tests/support/Surface.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace nelvo {
namespace {

// Fills far more than its bounds, so only the clip region limits it.
class Spill : public Control {
public:
    explicit Spill(COLORREF colour) : colour_(colour) {}
    void paint(DeviceContext dc, const Rect&, const Rect&) override {
        UniqueBrush brush(CreateSolidBrush(colour_));
        RECT everything{-1000, -1000, 1000, 1000};
        FillRect(dc, &everything, brush.get());
    }

private:
    COLORREF colour_;
};

TEST(PanelPaint, ChildrenAreClippedToTheirVisiblePart) {
    constexpr int W = 100, H = 80;
    test::Surface surface(W, H);
    ASSERT_TRUE(surface.valid());

    Grid* root = new Grid;
    Grid* panel = new Grid;
    root->addChild(panel);
    panel->setBounds({10, 10, 90, 70});
    Control* red = new Spill(RGB(255, 0, 0));
    red->setBounds({0, 0, 20, 20});  // window (10, 10)-(30, 30)
    Control* blue = new Spill(RGB(0, 0, 255));
    blue->setBounds({70, 50, 100, 100});  // window (80, 60)-(110, 110), clipped by the clip rectangle
    panel->addChild(red);
    panel->addChild(blue);

    root->paint(surface.dc(), {0, 0, W, H}, {0, 0, 90, 70});
    auto at = [&](int x, int y) { return surface.rgb(x, y); };
    EXPECT_EQ(at(10, 10), 0xFF0000u);
    EXPECT_EQ(at(29, 29), 0xFF0000u);
    EXPECT_EQ(at(30, 30), 0u);
    EXPECT_EQ(at(9, 10), 0u);
    EXPECT_EQ(at(80, 60), 0x0000FFu);
    EXPECT_EQ(at(89, 69), 0x0000FFu);
    EXPECT_EQ(at(90, 69), 0u) << "the clip rectangle ends at 90";
    EXPECT_EQ(at(85, 75), 0u);
    EXPECT_EQ(at(5, 5), 0u);

    // The context's state was restored after each child.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(surface.dc(), region), 0) << "no clip region left selected";
    DeleteObject(region);
    root->destroy();
}

} // namespace
} // namespace nelvo
