// The button family in a real window driven by mouse messages: the click
// test, disabled buttons, toggles, check boxes and radio buttons, focus
// taken from a text box, and what each button style draws in each state,
// read back from the window's pixels.

#include "dui/controls/Button.h"
#include "dui/controls/Style_IconButton.h"
#include "dui/controls/TextBox.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/MarkupWindow.h"

namespace nelvo::test {
namespace {

const std::string kButtons = R"(<Window initSize="320,200" style="background.xml"><Canvas>
  <Button id="1" x="10" y="10" width="60" height="24" style="button.xml" text="OK"/>
  <Button id="2" x="80" y="10" width="60" height="24" style="button.xml" text="Off" enabled="0"/>
  <ToggleButton id="3" x="150" y="10" width="40" height="24" style="toggle.xml"/>
  <CheckBox id="4" x="10" y="50" width="120" height="19" style="button.xml" text="Run"/>
  <RadioButton id="5" x="150" y="50" width="80" height="19" text="One"/>
  <TextBox id="6" x="10" y="90" width="150" height="25" style="textbox.xml"/>
  <Button id="7" x="10" y="130" width="25" height="17" style="strip.xml"/>
  <Button id="8" x="50" y="130" width="60" height="24" style="offset1.xml" text="III"/>
  <Button id="9" x="120" y="130" width="60" height="24" style="offset2.xml" text="III"/>
</Canvas></Window>)";

class ButtonWindowTest : public ControlTest {};

TEST_F(ButtonWindowTest, ClickNeedsPressAndReleaseInside) {
    MarkupWindow w(kButtons);
    Button* ok = w.child<Button>(1);
    ASSERT_TRUE(ok);
    EventRecorder clicks;
    clicks.attach(*ok, EventCode::Click);
    const POINT c = MarkupWindow::centre(*ok);

    w.click(c.x, c.y);
    EXPECT_EQ(clicks.count, 1);
    EXPECT_FALSE(ok->hasFlag(ControlFlag::Pressed)) << "the capture ended with the release";

    // Press, leave, release outside: cancelled.
    w.move(c.x, c.y);
    w.press(c.x, c.y);
    EXPECT_TRUE(ok->hasFlag(ControlFlag::Pressed));
    w.move(300, 190, MK_LBUTTON);
    w.release(300, 190);
    EXPECT_EQ(clicks.count, 1);

    // Press, leave, come back, release: a click.
    w.press(c.x, c.y);
    w.move(300, 190, MK_LBUTTON);
    w.move(c.x, c.y, MK_LBUTTON);
    w.release(c.x, c.y);
    EXPECT_EQ(clicks.count, 2);

    // The release on the right edge is outside (right edge excluded).
    Rect r;
    ok->windowRect(r);
    w.press(c.x, c.y);
    w.release(r.right, c.y);
    EXPECT_EQ(clicks.count, 2);
}

TEST_F(ButtonWindowTest, ClickIsPostedAfterTheReleaseHasBeenHandled) {
    MarkupWindow w(kButtons);
    Button* ok = w.child<Button>(1);
    EventRecorder clicks, lostCapture;
    clicks.attach(*ok, EventCode::Click);
    lostCapture.attach(*ok, EventCode::LostCapture);
    const POINT c = MarkupWindow::centre(*ok);
    w.press(c.x, c.y);
    SendMessageW(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_EQ(lostCapture.count, 1);
    EXPECT_EQ(clicks.count, 0) << "Click waits in the queue";
    pump();
    EXPECT_EQ(clicks.count, 1);
}

TEST_F(ButtonWindowTest, ScriptReleaseHandlerSeesOnlyReleasesThatDidNotEndAPress) {
    MarkupWindow w(kButtons);
    Button* ok = w.child<Button>(1);
    EventRecorder releases;
    releases.attach(*ok, EventCode::LButtonUp);  // added after the click test, as a script would
    const POINT c = MarkupWindow::centre(*ok);
    w.click(c.x, c.y);
    EXPECT_EQ(releases.count, 0) << "the click test marks its release handled";
    w.release(c.x, c.y);  // a release that no press on the button started
    EXPECT_EQ(releases.count, 1);
}

TEST_F(ButtonWindowTest, DisabledButtonNeitherClicksNorChangesItsLook) {
    MarkupWindow w(kButtons);
    Button* off = w.child<Button>(2);
    EventRecorder clicks;
    clicks.attach(*off, EventCode::Click);
    const POINT c = MarkupWindow::centre(*off);
    w.move(c.x, c.y);
    w.press(c.x, c.y);
    EXPECT_FALSE(off->hasFlag(ControlFlag::Pressed));
    w.release(c.x, c.y);
    EXPECT_EQ(clicks.count, 0);
    w.move(c.x, c.y);
    Surface s(320, 200);
    w.render(s);
    EXPECT_EQ(s.rgb(off->bounds().left + 2, off->bounds().top + 2), kDisabled);
}

TEST_F(ButtonWindowTest, FourStateSkinFollowsHoverPressAndCheck) {
    MarkupWindow w(kButtons);
    Button* ok = w.child<Button>(1);
    Surface s(320, 200);
    const POINT c = MarkupWindow::centre(*ok);
    auto skinAt = [&] {
        w.render(s);
        return s.rgb(ok->bounds().left + 2, ok->bounds().top + 2);
    };
    w.move(300, 190);
    EXPECT_EQ(skinAt(), kUp);
    w.move(c.x, c.y);
    EXPECT_EQ(skinAt(), kOver);
    w.screenshot(L"controls-button-hovered");
    w.press(c.x, c.y);
    EXPECT_EQ(skinAt(), kDown);
    w.screenshot(L"controls-button-pressed");
    w.release(c.x, c.y);
    w.move(300, 190);
    ok->setChecked(true);
    EXPECT_EQ(skinAt(), kDown) << "a checked button with a four-skin style shows its down skin";
    w.screenshot(L"controls-buttons");
}

TEST_F(ButtonWindowTest, ToggleCheckBoxAndRadioButton) {
    MarkupWindow w(kButtons);
    Control* toggle = w.child(3);
    Control* check = w.child(4);
    Control* radio = w.child(5);
    EventRecorder toggleChanges, checkChanges, radioChanges, checkClicks;
    toggleChanges.attach(*toggle, EventCode::ValueChange);
    checkChanges.attach(*check, EventCode::ValueChange);
    radioChanges.attach(*radio, EventCode::ValueChange);
    checkClicks.attach(*check, EventCode::Click);

    w.click(*toggle);
    EXPECT_TRUE(toggle->checked());
    w.click(*toggle);
    EXPECT_FALSE(toggle->checked());
    EXPECT_EQ(toggleChanges.count, 2);

    w.click(*check);
    EXPECT_TRUE(check->checked());
    EXPECT_EQ(checkChanges.count, 1);
    EXPECT_TRUE(checkClicks.lastFlags & ControlFlag::Checked) << "a script's Click handler sees the new state";

    check->setChecked(true);
    check->setChecked(true);
    EXPECT_EQ(checkChanges.count, 1) << "setChecked with the current state raises nothing";
    check->setChecked(false);
    EXPECT_EQ(checkChanges.count, 2);

    w.click(*radio);
    EXPECT_TRUE(radio->checked());
    EXPECT_EQ(radioChanges.count, 1);
    w.click(*radio);
    EXPECT_TRUE(radio->checked()) << "a click never unchecks a radio button";
    EXPECT_EQ(radioChanges.count, 1);
}

TEST_F(ButtonWindowTest, CheckBoxAlwaysDrawsWithCheckboxXml) {
    MarkupWindow w(kButtons);
    Control* check = w.child(4);
    Surface s(320, 200);
    const int x = check->bounds().left + 3, y = check->bounds().top + 3;
    w.move(300, 190);
    w.render(s);
    EXPECT_EQ(s.rgb(x, y), kFrames[0]) << "the strip of checkbox.xml, not the button.xml skin";
    check->setChecked(true);
    w.render(s);
    EXPECT_EQ(s.rgb(x, y), kFrames[4]);
    const POINT c = MarkupWindow::centre(*check);
    w.move(c.x, c.y);
    w.render(s);
    EXPECT_EQ(s.rgb(x, y), kFrames[5]);
    check->setFlag(ControlFlag::Enabled, false);
    w.render(s);
    EXPECT_EQ(s.rgb(x, y), kFrames[7]);
    EXPECT_EQ(s.rgb(x, check->bounds().top + 16), 0x3A6EA5u) << "frames are drawn unscaled, 14 rows high";
    w.screenshot(L"controls-checkbox");
}

TEST_F(ButtonWindowTest, ButtonExShowsSeventeenRowFramesOfASeventyRowStrip) {
    MarkupWindow w(kButtons);
    Control* b = w.child(7);
    Surface s(320, 200);
    const Rect r = b->bounds();
    auto rows = [&](uint32_t expected) {
        w.render(s);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (s.rgb(x, y) != expected) return ::testing::AssertionFailure() << "at " << x << "," << y;
        return ::testing::AssertionSuccess();
    };
    w.move(300, 190);
    EXPECT_TRUE(rows(kFrames[0]));
    const POINT c = MarkupWindow::centre(*b);
    w.move(c.x, c.y);
    EXPECT_TRUE(rows(kFrames[1]));
    w.press(c.x, c.y);
    EXPECT_TRUE(rows(kFrames[2]));
    w.release(c.x, c.y);
    b->setFlag(ControlFlag::Enabled, false);
    EXPECT_TRUE(rows(kFrames[3])) << "the last two rows of the strip are never shown";
    b->setFlag(ControlFlag::Enabled, true);
    w.move(300, 190);
    b->setChecked(true);
    EXPECT_TRUE(rows(kFrames[0])) << "checked does not count for a strip";
}

// The leftmost column holding dark text pixels inside a white button.
int firstTextColumn(Surface& s, const Rect& r) {
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (s.rgb(x, y) < 0x808080) return x - r.left;
    return -1;
}

TEST_F(ButtonWindowTest, DownOffsetOfOneMovesTheTextAndTwoDoesNot) {
    MarkupWindow w(kButtons);
    Control* one = w.child(8);
    Control* two = w.child(9);
    Surface s(320, 200);
    w.render(s);
    const int oneUp = firstTextColumn(s, one->bounds());
    const int twoUp = firstTextColumn(s, two->bounds());
    ASSERT_GE(oneUp, 0);
    ASSERT_GE(twoUp, 0);
    POINT c = MarkupWindow::centre(*one);
    w.press(c.x, c.y);
    w.render(s);
    EXPECT_EQ(firstTextColumn(s, one->bounds()), oneUp + 1);
    w.release(c.x, c.y);
    c = MarkupWindow::centre(*two);
    w.press(c.x, c.y);
    w.render(s);
    EXPECT_EQ(firstTextColumn(s, two->bounds()), twoUp);
    w.release(c.x, c.y);
}

TEST_F(ButtonWindowTest, PressingAButtonTakesTheFocusFromATextBox) {
    MarkupWindow w(kButtons);
    Control* box = w.child(6);
    EventRecorder lost;
    lost.attach(*box, EventCode::LostFocus);
    w.click(*box);
    EXPECT_EQ(w.window().focusControl(), box);
    w.click(*w.child(1));
    EXPECT_EQ(w.window().focusControl(), nullptr);
    EXPECT_EQ(lost.count, 1);
}

TEST(IconButtonPlacement, GroupsIconAndTextInTheMiddle) {
    const Rect r{0, 0, 100, 40};
    // Icon 16 x 16, text 30 x 12, gap 2: the group is 48 wide.
    auto p = Style_IconButton::place(r, 16, 16, 30, 12, 2, Keyword::Right);
    EXPECT_TRUE(p.drawIcon);
    EXPECT_EQ(p.icon, (Point{26, 12}));
    EXPECT_EQ(p.text, (Rect{44, 0, 100, 40}));
    EXPECT_EQ(p.format, Style_IconButton::kBesideIcon);
    p = Style_IconButton::place(r, 16, 16, 30, 12, 2, Keyword::Left);
    EXPECT_EQ(p.icon, (Point{58, 12}));
    EXPECT_EQ(p.text, (Rect{26, 0, 56, 40}));
    p = Style_IconButton::place(r, 16, 16, 30, 12, 2, Keyword::Bottom);
    EXPECT_EQ(p.icon, (Point{42, 5}));
    EXPECT_EQ(p.text, (Rect{0, 23, 100, 40}));
    EXPECT_EQ(p.format, Style_IconButton::kUnderIcon);
    p = Style_IconButton::place(r, 16, 16, 30, 12, 2, Keyword::Center);
    EXPECT_FALSE(p.drawIcon) << "an unknown placement draws no icon";
    EXPECT_EQ(p.text, r);
    // Negative sums truncate toward zero.
    p = Style_IconButton::place({-50, -9, 0, 0}, 7, 4, 0, 0, 2, Keyword::Right);
    EXPECT_EQ(p.icon, (Point{-29, -6}));
}

TEST_F(ButtonWindowTest, IconButtonDrawsItsIconWhereThePlacementSays) {
    MarkupWindow w(R"(<Window initSize="300,60" style="background.xml"><Canvas>
      <IconButton id="1" x="0" y="0" width="70" height="30" style="iconRight.xml" icon="icon.png" text="Go"/>
      <IconButton id="2" x="75" y="0" width="70" height="30" style="iconBottom.xml" icon="icon.png"/>
      <IconButton id="3" x="150" y="0" width="70" height="30" style="iconCenter.xml" icon="icon.png"/>
      <ToggleIconButton id="4" x="225" y="0" width="70" height="30" style="toggleIcon.xml" icon="icon.png" offIcon="up.png"/>
      <IconButton id="5" x="75" y="30" width="70" height="30" style="iconBottom.xml" icon="icon.png" text=""/>
    </Canvas></Window>)");
    w.move(1, 59);
    Surface s(300, 60);
    w.render(s);
    auto count = [&](Control* c, uint32_t colour) {
        int n = 0;
        const Rect r = c->bounds();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += s.rgb(x, y) == colour;
        return n;
    };
    EXPECT_EQ(count(w.child(1), kIcon), 36);
    EXPECT_EQ(count(w.child(2), kIcon), 36);
    // Without text the bottom placement centres the icon: x (75+145-6)/2 = 107, y (0+30-4-0-6)/2 = 10.
    EXPECT_EQ(s.rgb(107, 10), kIcon);
    EXPECT_EQ(count(w.child(3), kIcon), 0) << "placement \"center\" draws no icon";
    EXPECT_EQ(count(w.child(4), kIcon), 36);
    w.child(4)->setChecked(true);
    w.render(s);
    EXPECT_EQ(count(w.child(4), kIcon), 0) << "checked shows offIcon";
    EXPECT_EQ(count(w.child(4), kUp), 64);

    // An empty text still has a line's height under the icon.
    RECT line{0, 0, 0, 0};
    {
        Surface probe(4, 4);
        SelectObject(probe.dc(), SkinManager::current()->getFont(u"Default"));
        DrawTextW(probe.dc(), L"", -1, &line, DT_CALCRECT | DT_SINGLELINE);
    }
    ASSERT_GT(line.bottom, 0);
    const int iconTop = (30 + 60 - 4 - line.bottom - 6) / 2;
    EXPECT_EQ(s.rgb(107, iconTop), kIcon);
    EXPECT_NE(s.rgb(107, iconTop - 1), kIcon);

    // The toggle icon button's background ignores the focus.
    Control* toggle = w.child(4);
    w.window().setFocus(toggle);
    ASSERT_TRUE(toggle->hasFlag(ControlFlag::Focused));
    w.render(s);
    EXPECT_EQ(s.rgb(toggle->bounds().left + 1, toggle->bounds().top + 1), 0xFFFFFFu) << "up skin while focused";
    const POINT c = MarkupWindow::centre(*toggle);
    w.move(c.x, c.y);
    w.render(s);
    EXPECT_EQ(s.rgb(toggle->bounds().left + 1, toggle->bounds().top + 1), kOver);
    w.screenshot(L"controls-iconbuttons");
}

std::vector<WPARAM> g_commands;
WNDPROC g_original = nullptr;

// Records system commands instead of running them: the system's move loop
// would wait for the mouse.
LRESULT CALLBACK recordSystemCommands(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND) {
        g_commands.push_back(wParam);
        return 0;
    }
    return CallWindowProcW(g_original, hwnd, message, wParam, lParam);
}

// The image button's picture lies under its style; the title bar's press
// asks the window to be moved by its caption.
TEST_F(ButtonWindowTest, ImageButtonAndTitleBar) {
    MarkupWindow w(R"(<Window initSize="200,60" style="background.xml"><Canvas>
      <ImageButton id="1" x="10" y="10" width="20" height="20" style="framed.xml" img="icon.png"/>
      <TitleBar id="2" x="40" y="0" width="160" height="24"/>
    </Canvas></Window>)");
    Surface s(200, 60);
    w.render(s);
    EXPECT_EQ(s.rgb(20, 20), kIcon) << "the picture shows through the frame's centre";
    EXPECT_EQ(s.rgb(10, 10), kUp) << "the frame is drawn over the picture";
    EXPECT_EQ(s.rgb(29, 29), kUp);
    EXPECT_EQ(s.rgb(35, 20), 0x3A6EA5u) << "nothing outside the button";

    g_commands.clear();
    g_original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC));
    SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordSystemCommands));
    w.click(*w.child(1));
    EXPECT_TRUE(g_commands.empty());
    w.click(100, 10);
    EXPECT_EQ(g_commands, std::vector<WPARAM>{0xF012}) << "SC_MOVE with HTCAPTION, on the press";
    SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
}

} // namespace
} // namespace nelvo::test
