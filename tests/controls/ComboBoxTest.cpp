// The combo box in a real window: what its style draws, and its popup list
// opened by a press and driven with real mouse and keyboard input while the
// popup loop runs. Every opening is bounded: a popup still open after five
// seconds is deactivated from a timer and the test fails; one that stays
// open ends the program.

#include "dui/controls/ComboBox.h"
#include "dui/controls/ComboHelperWnd.h"
#include "dui/controls/ListBox.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"
#include "tests/support/RealInput.h"

#include <cstdio>
#include <functional>

namespace nelvo::test {
namespace {

std::string combos() {
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "<Label text=\"Item " + std::to_string(i) + "\"/>";
    return R"(<Window initSize="300,140" style="background.xml"><Canvas>
  <ComboBox id="1" x="20" y="20" width="200" height="24" text="Two">
    <Label text="One"/><Label text="Two"/><Label text="Three"/></ComboBox>
  <ComboBox id="2" x="20" y="60" width="200" height="24" text="Item 1">)" +
           ten + R"(</ComboBox>
  <ComboBox id="3" x="20" y="100" width="200" height="24" style="button.xml" text="Plain"/>
</Canvas></Window>)";
}

// One opening: what runs while the popup is open, and what it showed then.
struct Opening {
    std::function<void(const RECT& popup)> action;  // queues real input
    std::wstring picture;
    HWND owner = nullptr;
    RECT popup{};
    bool shownActiveFocused = false, downwards = false, timedOut = false;
    std::u16string selected;
    UINT_PTR timer = 0;
};
Opening* g_opening = nullptr;

// First the owner takes the activation back, which ends a working loop;
// a loop still running two seconds later ends the test program.
void CALLBACK deactivateStuckPopup(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!g_opening) return;
    if (g_opening->timedOut) {
        std::fprintf(stderr, "the popup loop does not end: giving up\n");
        std::fflush(stderr);
        ExitProcess(3);
    }
    g_opening->timedOut = true;
    SetActiveWindow(g_opening->owner);
    g_opening->timer = SetTimer(nullptr, 0, 2000, &deactivateStuckPopup);
}

void onShown(ComboBox& combo, HWND popup) {
    if (!g_opening) return;
    Opening& o = *g_opening;
    GetWindowRect(popup, &o.popup);
    o.shownActiveFocused = IsWindowVisible(popup) && GetActiveWindow() == popup && GetFocus() == popup;
    o.selected = combo.list()->selectedText();
    o.downwards = static_cast<ComboHelperWnd*>(WindowBase::fromHandle(popup))->openedDownwards();
    if (!o.picture.empty()) {
        RECT area;
        GetWindowRect(o.owner, &area);
        UnionRect(&area, &area, &o.popup);
        photographBusyArea(area, o.picture);
    }
    o.timer = SetTimer(nullptr, 0, 5000, &deactivateStuckPopup);
    if (o.action) o.action(o.popup);
}

POINT row(const RECT& popup, int index) { return {popup.left + 40, popup.top + 2 + index * 24 + 12}; }

class ComboBoxTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        ComboHelperWnd::setShownHook(&onShown);
    }
    void TearDown() override { ComboHelperWnd::setShownHook(nullptr); }

    // Presses the box with a window message, which returns once the popup
    // has closed; then, with `pump`, handles what is queued.
    static Opening open(MarkupWindow& w, ComboBox& combo, std::function<void(const RECT&)> action,
                        std::wstring picture = {}, bool pump = true) {
        Opening o;
        o.action = std::move(action);
        o.picture = std::move(picture);
        o.owner = w.hwnd();
        SetForegroundWindow(w.hwnd());
        g_opening = &o;
        const POINT c = MarkupWindow::centre(combo);
        if (pump)
            w.press(c.x, c.y);
        else
            SendMessageW(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        if (o.timer) KillTimer(nullptr, o.timer);
        g_opening = nullptr;
        EXPECT_TRUE(o.shownActiveFocused);
        EXPECT_FALSE(o.timedOut) << "the popup had to be closed from outside";
        EXPECT_FALSE(IsWindowVisible(combo.popupWindow())) << "hidden when the press returns";
        return o;
    }

    static POINT screenCorner(MarkupWindow& w, Control& c) {
        Rect r;
        c.windowRect(r);
        POINT p{r.left, r.top};
        ClientToScreen(w.hwnd(), &p);
        return p;
    }
};

TEST_F(ComboBoxTest, DrawsItsSkinDropButtonAndTextWithTheFallbackStyle) {
    MarkupWindow w(combos());
    Surface s(300, 140);
    w.render(s);
    EXPECT_EQ(s.rgb(25, 22), kUp) << "combobox.xml when the box names no style";
    EXPECT_EQ(s.rgb(216, 31), kIcon) << "the drop button at the right edge, centred";
    EXPECT_EQ(s.rgb(212, 31), kUp);
    int inIndent = 0, inText = 0;
    for (int y = 21; y < 43; ++y)
        for (int x = 21; x < 212; ++x)
            if (s.rgb(x, y) == 0) ++(x < 32 ? inIndent : inText);
    EXPECT_EQ(inIndent, 0) << "the text starts 12 pixels in";
    EXPECT_GT(inText, 0) << "the text is black";
    EXPECT_EQ(s.rgb(216, 111), kUp) << "a named style that resolves wins, here one without a drop button";
}

TEST_F(ComboBoxTest, PopupOpensCommitsAndClosesUnderRealInput) {
    HWND popups[3] = {};
    {
        MarkupWindow w(combos());
        auto* three = w.child<ComboBox>(1);
        auto* ten = w.child<ComboBox>(2);
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(popups[i] = w.child<ComboBox>(i + 1)->popupWindow());
        EXPECT_EQ(ten->itemCount(), 10u) << "the markup children are the entries";
        EventRecorder changes;
        changes.attach(*three, EventCode::ValueChange);
        changes.attach(*ten, EventCode::ValueChange);

        // Ten entries: six rows and the frame under the box, the current
        // entry selected; a click on another commits it.
        Opening o = open(w, *ten, [](const RECT& p) { clickAt(row(p, 3)); }, L"combobox-open-down");
        EXPECT_TRUE(o.downwards);
        EXPECT_EQ(o.popup.bottom - o.popup.top, 148);
        EXPECT_EQ(o.popup.right - o.popup.left, 200);
        const POINT corner = screenCorner(w, *ten);
        EXPECT_EQ(o.popup.left, corner.x);
        EXPECT_EQ(o.popup.top, corner.y + 24);
        EXPECT_EQ(o.selected, u"Item 1");
        EXPECT_EQ(ten->text(), u"Item 3");
        EXPECT_EQ(changes.count, 1);
        EXPECT_EQ(GetActiveWindow(), w.hwnd()) << "the box's window is active again after a commit";

        // Three entries: 76 high; Escape closes it unchanged, so does
        // choosing the current entry, so does a click on the window behind.
        o = open(w, *three, [](const RECT&) { pressKey(VK_ESCAPE); });
        EXPECT_EQ(o.popup.bottom - o.popup.top, 76);
        EXPECT_EQ(o.selected, u"Two");
        open(w, *three, [](const RECT& p) { clickAt(row(p, 1)); });
        const HWND owner = w.hwnd();
        open(w, *three, [owner](const RECT&) {
            POINT p{280, 130};
            ClientToScreen(owner, &p);
            clickAt(p);
        });
        EXPECT_EQ(three->text(), u"Two");
        EXPECT_EQ(changes.count, 1);

        // Near the bottom of the screen it opens upwards; Down and Enter.
        SetWindowPos(w.hwnd(), nullptr, 40, GetSystemMetrics(SM_CYSCREEN) - 124, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        const auto downEnter = [](const RECT&) {
            pressKey(VK_DOWN);
            pressKey(VK_RETURN);
        };
        o = open(w, *three, downEnter, L"combobox-open-up");
        EXPECT_FALSE(o.downwards);
        EXPECT_EQ(o.popup.bottom, screenCorner(w, *three).y);
        EXPECT_EQ(three->text(), u"Three");
        EXPECT_EQ(changes.count, 2);

        // WM_QUIT ends the loop and is posted again for the outer loop.
        open(w, *three, [](const RECT&) { PostQuitMessage(7); }, {}, false);
        MSG quit{};
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, 7u);
    }
    pump();
    for (HWND popup : popups) EXPECT_FALSE(IsWindow(popup)) << "closed with its combo box";
}

TEST_F(ComboBoxTest, CloseRequestsCloseTheListAndSpareTheWindows) {
    MarkupWindow w(combos());
    auto* three = w.child<ComboBox>(1);
    const HWND popup = three->popupWindow();
    const HWND owner = w.hwnd();
    // To the popup, by every way one comes: the list closes and the popup
    // stays, with its entries, ready to open again.
    const std::function<void(const RECT&)> closes[] = {
        [](const RECT&) { pressKey(VK_F4, VK_MENU); },
        [popup](const RECT&) { PostMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [popup](const RECT&) { PostMessageW(popup, WM_CLOSE, 0, 0); },
        [popup](const RECT&) { SendMessageW(popup, WM_CLOSE, 0, 0); },
    };
    for (const auto& close : closes) {
        open(w, *three, close);
        EXPECT_TRUE(IsWindow(popup));
        EXPECT_EQ(three->popupWindow(), popup);
        EXPECT_EQ(three->itemCount(), 3u);
        EXPECT_EQ(three->text(), u"Two");
    }
    // To the box's window while the list is open: dropped, as the dialog's
    // own loop drops them; Escape then closes the list.
    open(w, *three, [owner](const RECT&) {
        PostMessageW(owner, WM_CLOSE, 0, 0);
        PostMessageW(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
        pressKey(VK_ESCAPE);
    });
    ASSERT_TRUE(IsWindow(owner));
    Opening o = open(w, *three, [](const RECT& p) { clickAt(row(p, 2)); });
    EXPECT_EQ(o.selected, u"Two");
    EXPECT_EQ(three->text(), u"Three");
}

} // namespace
} // namespace nelvo::test
