// The text box and labels in a real window, driven by key, character and
// mouse messages: typing, Backspace, arrows, the clipboard keys, the 1999
// limit, setText, a PreviewKeyPress filter, the caret, and the pictures.

#include "dui/controls/Label.h"
#include "dui/controls/LinkLabel.h"
#include "dui/controls/TextBox.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/MarkupWindow.h"

namespace nelvo::test {
namespace {

const std::string kForm = R"(<Window initSize="320,120" style="background.xml"><Canvas>
  <TextBox id="1" x="10" y="10" width="250" height="25" style="textbox.xml"/>
  <Label id="2" x="10" y="50" text="Label text" color="#ffffff"/>
  <Label id="3" x="10" y="70" width="200" height="16" text="centre" textAlign="center" padding="2,0,2,0"/>
  <LinkLabel id="4" x="10" y="90" text="no address"/>
  <LinkLabel id="5" x="150" y="90" text="site" url="https://example.invalid/a b"/>
</Canvas></Window>)";

class TextBoxWindowTest : public ControlTest {
protected:
    void focusBox(MarkupWindow& w) { w.click(*w.child(1)); }
};

bool putClipboard(HWND owner, const std::u16string& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL m = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    auto* p = static_cast<char16_t*>(GlobalLock(m));
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    GlobalUnlock(m);
    SetClipboardData(CF_UNICODETEXT, m);
    CloseClipboard();
    return true;
}

std::u16string readClipboard(HWND owner) {
    std::u16string out;
    if (!OpenClipboard(owner)) return out;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        out = static_cast<const char16_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

TEST_F(TextBoxWindowTest, TypingBackspaceAndArrows) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    EventRecorder changes;
    changes.attach(*box, EventCode::ValueChange);
    focusBox(w);
    EXPECT_TRUE(w.window().caretBlinking()) << "the focused box shows the window's caret";
    w.type(u"C:\\Pro\x01");
    EXPECT_EQ(box->getText(), u"C:\\Pro") << "control characters are not typed";
    EXPECT_EQ(changes.count, 6);
    w.key(VK_LEFT);
    w.key(VK_LEFT);
    w.key(VK_BACK);
    EXPECT_EQ(box->getText(), u"C:\\ro");
    EXPECT_EQ(box->buffer().caret(), 3);
    w.key(VK_END);
    w.key(VK_DELETE);
    EXPECT_EQ(box->getText(), u"C:\\ro") << "Delete at the end does nothing";
    w.key(VK_HOME);
    EXPECT_EQ(box->buffer().caret(), 0);
    w.key(VK_DELETE);
    EXPECT_EQ(box->getText(), u":\\ro") << "Delete takes the unit after the caret";
    for (int i = 0; i < 5; ++i) w.key(VK_UP);
    EXPECT_EQ(box->buffer().caret(), 0);
    const int before = changes.count;
    w.key(VK_BACK);
    EXPECT_EQ(box->getText(), u":\\ro") << "Backspace at 0 does nothing";
    EXPECT_EQ(changes.count, before);

    w.ctrlKey('A');
    EXPECT_EQ(box->buffer().selectionEnd() - box->buffer().selectionStart(), 4);
    w.key(VK_RIGHT);
    EXPECT_FALSE(box->buffer().hasSelection()) << "arrows collapse the selection";
    EXPECT_EQ(box->buffer().caret(), 4);
    w.screenshot(L"controls-textbox-typed");
}

TEST_F(TextBoxWindowTest, ClipboardKeys) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    focusBox(w);
    w.type(u"hello world");
    w.ctrlKey('A');
    w.ctrlKey('C');
    EXPECT_EQ(readClipboard(w.hwnd()), u"hello world");
    EXPECT_EQ(box->getText(), u"hello world");
    w.screenshot(L"controls-textbox-selection");
    // While another owner holds the clipboard open the cut copies nothing,
    // so it must not delete anything either.
    ASSERT_TRUE(OpenClipboard(nullptr));
    w.ctrlKey('X');
    CloseClipboard();
    EXPECT_EQ(box->getText(), u"hello world");
    w.ctrlKey('X');
    EXPECT_EQ(box->getText(), u"");
    EXPECT_EQ(readClipboard(w.hwnd()), u"hello world");
    ASSERT_TRUE(putClipboard(w.hwnd(), u"a\tb\r\nc"));
    w.ctrlKey('V');
    EXPECT_EQ(box->getText(), u"a b  c") << "tab, CR and LF each become a space";
    EXPECT_EQ(box->buffer().caret(), 6);
    w.key('V');
    EXPECT_EQ(box->getText(), u"a b  c") << "V without Ctrl is a key, not a paste";
}

TEST_F(TextBoxWindowTest, HoldsAtMost1999Units) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    box->setText(std::u16string(1997, u'x'));
    EventRecorder changes;
    changes.attach(*box, EventCode::ValueChange);
    focusBox(w);
    w.key(VK_END);
    w.ctrlKey('A');
    w.key(VK_RIGHT);
    w.type(u"abcd");
    EXPECT_EQ(box->getText().size(), 1999u);
    EXPECT_EQ(box->getText().substr(1997), u"ab");
    EXPECT_EQ(changes.count, 2) << "a character that does not fit changes nothing";
    ASSERT_TRUE(putClipboard(w.hwnd(), u"zz"));
    w.ctrlKey('V');
    EXPECT_EQ(changes.count, 2) << "nor does a paste into the full box";
    w.key(VK_BACK);
    w.key(VK_BACK);
    w.key(VK_BACK);
    ASSERT_TRUE(putClipboard(w.hwnd(), u"12345"));
    w.ctrlKey('V');
    EXPECT_EQ(box->getText().substr(1995), u"x123") << "a paste stores only what fits";
    box->setText(std::u16string(5000, u'y'));
    EXPECT_EQ(box->getText().size(), 1999u);
}

TEST_F(TextBoxWindowTest, SetTextWithTheSameTextRaisesNothing) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    EventRecorder changes;
    changes.attach(*box, EventCode::ValueChange);
    box->setText(u"C:\\Program Files");
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(box->buffer().caret(), 16);
    focusBox(w);
    const int32_t caret = box->buffer().caret();
    box->setText(u"C:\\Program Files");
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(box->buffer().caret(), caret) << "the caret stays";
}

// A re-layout that moves a focused text box or editor (here by their
// parent's margin) moves the caret with it.
TEST_F(TextBoxWindowTest, TheCaretFollowsARelayout) {
    MarkupWindow w(R"(<Window initSize="320,200" style="background.xml"><Grid id="9"><Canvas>
      <TextBox id="1" x="10" y="10" width="200" height="25" style="textbox.xml" text="abc"/>
      <Edit id="2" x="10" y="60" width="200" height="80" text="one"/>
    </Canvas></Grid></Window>)");
    Control* parent = w.child(9);
    for (int32_t id : {1, 2}) {
        SCOPED_TRACE(id);
        w.click(*w.child(id));
        ASSERT_TRUE(w.child(id)->hasFlag(ControlFlag::Focused));
        const Rect before = w.window().caretRect();
        parent->setRect(attr::margin, {30, 20, 0, 0});
        w.window().updateLayout();
        EXPECT_EQ(w.window().caretRect(), before.offset(30, 20));
        parent->setRect(attr::margin, {});
        w.window().updateLayout();
        EXPECT_EQ(w.window().caretRect(), before);
    }
}

std::vector<std::u16string> g_opened;

// A link shows the hand and opens its address on the press; one without an
// address does nothing.
TEST_F(TextBoxWindowTest, LinkLabelOpensItsAddressOnThePress) {
    MarkupWindow w(kForm);
    g_opened.clear();
    LinkLabel::setAddressOpener([](std::u16string_view url) { g_opened.emplace_back(url); });
    Control* link = w.child(5);
    const POINT at = MarkupWindow::centre(*link);
    POINT screen = at;
    ClientToScreen(w.hwnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(w.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    w.move(at.x, at.y);
    w.press(at.x, at.y);
    EXPECT_EQ(g_opened, std::vector<std::u16string>{u"https://example.invalid/a b"}) << "on the press";
    w.release(at.x, at.y);
    EXPECT_EQ(g_opened.size(), 1u) << "not again on the release";
    w.click(*w.child(4));
    EXPECT_EQ(g_opened.size(), 1u) << "no address, nothing opened";
    LinkLabel::setAddressOpener(nullptr);
}

// The window paints through its back buffer: what WM_PAINT puts on the
// screen is what the tree draws, only inside the update rectangle, with the
// caret on top in its own colour.
TEST_F(TextBoxWindowTest, PaintingThroughTheBackBuffer) {
    MarkupWindow w(kForm);
    const Size size = w.clientSize();
    auto screen = [&](Surface& s) {
        HDC dc = GetDC(w.hwnd());
        BitBlt(s.dc(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
        ReleaseDC(w.hwnd(), dc);
    };
    auto repaint = [&](const RECT* r) {
        RedrawWindow(w.hwnd(), r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        pump();
    };
    Surface shown(size.cx, size.cy), printed(size.cx, size.cy);
    repaint(nullptr);
    screen(shown);
    w.render(printed);
    Rect box;
    w.child(1)->windowRect(box);
    for (POINT p : {POINT{2, 2}, POINT{box.left + 3, box.top + 3}, POINT{box.right - 2, box.bottom - 2}})
        EXPECT_EQ(shown.rgb(p.x, p.y), printed.rgb(p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(shown.rgb(2, 2), 0x3A6EA5u);
    ASSERT_EQ(shown.rgb(box.left + 3, box.top + 3), 0xFFFFFFu) << "the box's skin";

    // The box goes without telling the window; a repaint of one square shows
    // that, and nothing outside the square changes.
    w.child(1)->setFlag(ControlFlag::Visible, false);
    const RECT square{box.left, box.top, box.left + 10, box.top + 10};
    repaint(&square);
    screen(shown);
    EXPECT_EQ(shown.rgb(box.left + 3, box.top + 3), 0x3A6EA5u) << "inside the update rectangle";
    EXPECT_EQ(shown.rgb(box.left + 12, box.top + 3), 0xFFFFFFu) << "outside it, the old picture";
    w.child(1)->setFlag(ControlFlag::Visible, true);
    repaint(nullptr);

    // The caret, once its blink shows it.
    w.click(*w.child(1));
    bool seen = false;
    for (int i = 0; i < 40 && !seen; ++i) {
        Sleep(50);
        pump();
        if (!w.window().caretVisible()) continue;
        const Rect c = w.window().caretRect();
        const RECT r{c.left, c.top, c.right, c.bottom};
        repaint(&r);
        screen(shown);
        if (!w.window().caretVisible()) continue;
        seen = true;
        EXPECT_EQ(shown.rgb(c.left, c.top + 2), 0x5A5A5Au) << "RGB(90, 90, 90)";
        w.render(printed);
        EXPECT_NE(printed.rgb(c.left, c.top + 2), 0x5A5A5Au) << "never in a printed picture";
    }
    EXPECT_TRUE(seen) << "the caret never showed";
}

TEST_F(TextBoxWindowTest, PreviewKeyPressHandlerStopsTheCharacter) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    // Like the folder box's script: refuse a second ':'.
    struct Filter {
        TextBox* box;
        static void handle(void* object, Control*, Event* e) {
            auto* self = static_cast<Filter*>(object);
            if (e->param1 == u':' && self->box->getText().find(u':') != std::u16string::npos) e->handled = 1;
        }
    } filter{box};
    EXPECT_TRUE(box->addHandler(EventCode::PreviewKeyPress, &filter, &Filter::handle));
    focusBox(w);
    w.type(u"C::\\a:");
    EXPECT_EQ(box->getText(), u"C:\\a");
}

TEST_F(TextBoxWindowTest, LosingTheFocusHidesTheCaretAndCollapsesTheSelection) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    focusBox(w);
    w.type(u"abc");
    w.ctrlKey('A');
    w.window().setFocus(nullptr);
    EXPECT_FALSE(w.window().caretBlinking());
    EXPECT_FALSE(box->buffer().hasSelection());
    EXPECT_EQ(box->getText(), u"abc");
}

TEST_F(TextBoxWindowTest, MouseSelectsByDraggingAndDoubleClick) {
    MarkupWindow w(kForm);
    auto* box = w.child<TextBox>(1);
    box->setText(u"abcdefgh");
    Rect r;
    box->windowRect(r);
    const int y = (r.top + r.bottom) / 2;
    w.press(r.left + TextBox::kPaddingX, y);
    EXPECT_EQ(box->buffer().caret(), 0);
    w.move(r.right - 2, y, MK_LBUTTON);
    EXPECT_EQ(box->buffer().caret(), 8);
    EXPECT_EQ(box->buffer().anchor(), 0);
    w.release(r.right - 2, y);
    w.window().setFocus(nullptr);
    w.doubleClick(r.left + 20, y);
    EXPECT_EQ(box->buffer().selectionEnd() - box->buffer().selectionStart(), 8);
}

TEST_F(TextBoxWindowTest, LabelMeasuresItsTextAndNeverWraps) {
    MarkupWindow w(kForm);
    auto* label = w.child<Label>(2);
    const Size d = label->desiredSize();
    EXPECT_GT(d.cx, 30);
    EXPECT_GT(d.cy, 8);
    EXPECT_LT(d.cy, 30) << "one line";
    auto* padded = w.child<Label>(3);
    const Size withPadding = padded->measureOverride(1000, 1000);
    auto* bare = new Label;
    bare->setText(attr::text, u"centre");
    EXPECT_EQ(withPadding.cx, bare->measureOverride(1000, 1000).cx + 4) << "padding adds left and right";
    bare->destroy();
    Surface s(320, 120);
    w.render(s);
    int white = 0;
    for (int y = 50; y < 50 + d.cy; ++y)
        for (int x = 10; x < 10 + d.cx; ++x) white += s.rgb(x, y) == 0xFFFFFF;
    EXPECT_GT(white, 10) << "the label's text is drawn in its colour";
    w.screenshot(L"controls-labels");
}

} // namespace
} // namespace nelvo::test
