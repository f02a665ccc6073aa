// The combo box in a real window: what its style draws, and its popup list
// opened by a press and driven with real mouse and keyboard input while the
// popup loop runs: the popup's size for three and for ten entries, opening
// upwards near the bottom of the screen, a click or Enter committing an
// entry (ValueChange only when the text changes), Escape and a click on
// another window closing it unchanged, WM_QUIT ending the loop and posted
// again, and the popup window closed with its combo box. Every opening is
// bounded: a popup still open after five seconds is deactivated and the
// test fails.

#include "dui/controls/ComboBox.h"
#include "dui/controls/ComboHelperWnd.h"
#include "dui/controls/ListBox.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"
#include "tests/support/RealInput.h"

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

// What one opening saw while its popup was shown.
struct Opening {
    std::function<void(const RECT& popup)> action;  // runs inside, queues real input
    std::wstring picture;                           // a screenshot's name, or none
    HWND owner = nullptr;
    RECT popup{};
    bool visible = false, active = false, focused = false, downwards = false, timedOut = false;
    std::u16string selected;
    UINT_PTR timer = 0;
};
Opening* g_opening = nullptr;

void CALLBACK deactivateStuckPopup(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!g_opening) return;
    g_opening->timedOut = true;
    g_opening->timer = 0;
    SetActiveWindow(g_opening->owner);  // the loop ends when the popup is no longer active
}

void savePicture(HWND owner, const RECT& popup, const std::wstring& name) {
    // Under Wine the picture reaches the screen when the thread next waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    RECT area;
    GetWindowRect(owner, &area);
    UnionRect(&area, &area, &popup);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    std::vector<uint32_t> pixels;
    if (!captureScreen(area, pixels)) return;
    CreateDirectoryW(screenshotDir().c_str(), nullptr);
    savePixelsPng(pixels.data(), area.right - area.left, area.bottom - area.top, screenshotDir() + L"\\" + name + L".png");
}

void onShown(ComboBox& combo, HWND popup) {
    if (!g_opening) return;
    Opening& o = *g_opening;
    GetWindowRect(popup, &o.popup);
    o.visible = IsWindowVisible(popup);
    o.active = GetActiveWindow() == popup;
    o.focused = GetFocus() == popup;
    if (ListBox* list = combo.list()) o.selected = list->selectedText();
    if (auto* helper = dynamic_cast<ComboHelperWnd*>(WindowBase::fromHandle(popup))) o.downwards = helper->openedDownwards();
    if (!o.picture.empty()) savePicture(o.owner, o.popup, o.picture);
    o.timer = SetTimer(nullptr, 0, 5000, &deactivateStuckPopup);
    if (o.action) o.action(o.popup);
}

// The screen point of row `row` of an open popup.
POINT row(const RECT& popup, int row) { return {popup.left + 40, popup.top + 2 + row * 24 + 12}; }

class ComboBoxTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        ComboHelperWnd::setShownHook(&onShown);
    }
    void TearDown() override { ComboHelperWnd::setShownHook(nullptr); }

    // Presses the combo box (a window message, which returns when the popup
    // has closed) with `action` run while the popup is open. Without `pump`
    // nothing queued afterwards is handled.
    static Opening open(MarkupWindow& w, ComboBox& combo, std::function<void(const RECT&)> action,
                        std::wstring picture = {}, bool pump = true) {
        Opening o;
        o.owner = w.hwnd();
        o.action = std::move(action);
        o.picture = std::move(picture);
        SetForegroundWindow(w.hwnd());
        g_opening = &o;
        const POINT c = MarkupWindow::centre(combo);
        if (pump)
            w.press(c.x, c.y);
        else
            SendMessageW(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        if (o.timer) KillTimer(nullptr, o.timer);
        g_opening = nullptr;
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
        ASSERT_TRUE(three && ten && three->popupWindow() && ten->popupWindow());
        for (int i = 0; i < 3; ++i) popups[i] = w.child<ComboBox>(i + 1)->popupWindow();
        EXPECT_EQ(ten->itemCount(), 10u) << "the markup children are the entries";
        EXPECT_FALSE(IsWindowVisible(three->popupWindow()));
        EventRecorder changes;
        changes.attach(*three, EventCode::ValueChange);
        changes.attach(*ten, EventCode::ValueChange);

        // Ten entries: six rows and the frame, under the box, the current
        // entry selected, the list focused; a click on another entry.
        Opening o = open(w, *ten, [](const RECT& p) { clickAt(row(p, 3)); }, L"combobox-open-down");
        const POINT tenCorner = screenCorner(w, *ten);
        EXPECT_TRUE(o.visible && o.active && o.focused && o.downwards);
        EXPECT_EQ(o.popup.bottom - o.popup.top, 148);
        EXPECT_EQ(o.popup.right - o.popup.left, 200);
        EXPECT_EQ(o.popup.left, tenCorner.x);
        EXPECT_EQ(o.popup.top, tenCorner.y + 24);
        EXPECT_EQ(o.selected, u"Item 1");
        EXPECT_EQ(ten->text(), u"Item 3");
        EXPECT_EQ(changes.count, 1);
        EXPECT_EQ(GetActiveWindow(), w.hwnd()) << "the box's window is active again after a commit";

        // Three entries: 76 high; Escape closes it unchanged.
        o = open(w, *three, [](const RECT&) { pressKey(VK_ESCAPE); });
        EXPECT_EQ(o.popup.bottom - o.popup.top, 76);
        EXPECT_EQ(o.selected, u"Two");
        EXPECT_EQ(three->text(), u"Two");
        EXPECT_EQ(changes.count, 1);

        // Choosing the current entry closes without a change.
        open(w, *three, [](const RECT& p) { clickAt(row(p, 1)); });
        EXPECT_EQ(changes.count, 1);

        // A click on the window behind activates it: closed, unchanged.
        const HWND owner = w.hwnd();
        open(w, *three, [owner](const RECT&) {
            POINT p{280, 130};
            ClientToScreen(owner, &p);
            clickAt(p);
        });
        EXPECT_EQ(three->text(), u"Two");
        EXPECT_EQ(changes.count, 1);

        // Near the bottom of the screen it opens upwards; the keyboard
        // moves the selection and Enter commits it.
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        SetWindowPos(w.hwnd(), nullptr, 40, screenHeight - 124, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        o = open(
            w, *three,
            [](const RECT&) {
                pressKey(VK_DOWN);
                pressKey(VK_RETURN);
            },
            L"combobox-open-up");
        EXPECT_FALSE(o.downwards);
        EXPECT_EQ(o.popup.bottom, screenCorner(w, *three).y);
        EXPECT_EQ(o.popup.bottom - o.popup.top, 76);
        EXPECT_EQ(three->text(), u"Three");
        EXPECT_EQ(changes.count, 2);

        // WM_QUIT ends the loop and is posted again for the outer loop.
        open(w, *three, [](const RECT&) { PostQuitMessage(7); }, {}, false);
        MSG quit{};
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, 7u);
        EXPECT_EQ(changes.count, 2);
    }
    pump();
    for (HWND popup : popups) EXPECT_FALSE(IsWindow(popup)) << "closed with its combo box";
}

} // namespace
} // namespace nelvo::test
