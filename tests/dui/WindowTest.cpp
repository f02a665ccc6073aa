// The window host driven with real window messages sent to a real window:
// sizing and region, capture, hover, double clicks, focus, keyboard, modal
// loop, timers, caret, tooltips and posted events through the dispatcher.

#include "tests/support/EventRecorder.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"

#include "dui/DispatcherWindow.h"
#include "dui/Grid.h"
#include "dui/LiveSet.h"
#include "dui/Panel.h"
#include "dui/Timer.h"

#include <atomic>
#include <thread>

namespace nelvo {
namespace {

using test::EventLog;
using test::pump;
using test::pumpUntil;
namespace E = EventCode;

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

// A window from markup, at (100, 100) and not activated, for each test.
class WindowTest : public test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // The real pointer stays in a corner, away from every test window.
        SetCursorPos(2, 2);
    }
    void TearDown() override {
        if (window && IsWindow(hwnd)) DestroyWindow(hwnd);
        pump(20);
    }

    // Builds a window from markup, shown without being activated unless
    // `show` is false.
    WindowImpl* open(const std::string& markup, bool show = true) {
        window = test::openMarkupWindow(markup, 100, 100, show ? SW_SHOWNOACTIVATE : SW_HIDE, false);
        hwnd = window ? window->handle() : nullptr;
        return window;
    }
    Control* byId(int32_t id) { return window->childById(id); }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(hwnd, message, wParam, lParam);
    }

    WindowImpl* window = nullptr;
    HWND hwnd = nullptr;
};

// A 200 × 100 window: panel 10 on the left half holds leaves 11 (0-50) and
// 12 (50-100); leaf 20 covers x 100-150.
const char* const kTwoLeaves =
    "<Window initSize=\"200,100\">"
    "<Grid id=\"10\" width=\"100\" horizontalAlign=\"left\">"
    "<Grid id=\"11\" width=\"50\" horizontalAlign=\"left\"/>"
    "<Grid id=\"12\" width=\"50\" horizontalAlign=\"right\"/>"
    "</Grid>"
    "<Grid id=\"20\" margin=\"100,0,0,0\" width=\"50\" horizontalAlign=\"left\"/>"
    "</Window>";

TEST_F(WindowTest, InitSizeGivesTheWindowSizeWhateverTheChildren) {
    open("<Window initSize=\"504,366\" roundCorner=\"9,9\"><Grid width=\"900\" height=\"900\"/></Window>");
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 504);
    EXPECT_EQ(r.bottom - r.top, 366);
    EXPECT_EQ(std::wstring(L"WINDOW:234:000"), [&] {
        wchar_t name[64];
        GetClassNameW(hwnd, name, 64);
        return std::wstring(name);
    }());
}

TEST_F(WindowTest, WithoutInitSizeTheMeasuredSizeIsUsed) {
    open("<Window><Grid width=\"230\" height=\"120\" margin=\"5,5,5,5\"/></Window>");
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 240);
    EXPECT_EQ(r.bottom - r.top, 130);
    EXPECT_EQ(window->root()->bounds(), (Rect{0, 0, 240, 130}));
}

// Compares the pixels two regions cover (Wine splits a window's region into
// other rectangles than the one it was made from, so EqualRgn says no).
bool sameArea(HRGN a, HRGN b) {
    UniqueRegion difference(CreateRectRgn(0, 0, 0, 0));
    return CombineRgn(difference.get(), a, b, RGN_XOR) == NULLREGION;
}

TEST_F(WindowTest, RoundCornerRegionIsOnePixelLargerThanTheClientArea) {
    open("<Window initSize=\"504,366\" roundCorner=\"9,9\"/>");
    UniqueRegion got(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(hwnd, got.get()), ERROR);
    UniqueRegion expected(CreateRoundRectRgn(0, 0, 505, 367, 9, 9));
    EXPECT_TRUE(sameArea(got.get(), expected.get()));
    EXPECT_FALSE(PtInRegion(got.get(), 0, 0));
    EXPECT_TRUE(PtInRegion(got.get(), 252, 0));
    EXPECT_TRUE(PtInRegion(got.get(), 503, 183));

    // Resizing cuts a new region of the new size.
    SetWindowPos(hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(GetWindowRgn(hwnd, got.get()), ERROR);
    expected.reset(CreateRoundRectRgn(0, 0, 301, 201, 9, 9));
    EXPECT_TRUE(sameArea(got.get(), expected.get()));
    EXPECT_EQ(window->root()->bounds(), (Rect{0, 0, 300, 200}));

    open("<Window initSize=\"100,100\"/>");
    EXPECT_EQ(GetWindowRgn(hwnd, got.get()), ERROR) << "no roundCorner, no region";
}

TEST_F(WindowTest, PressLeaveReleaseGoesDirectToTheCapturingControl) {
    open(kTwoLeaves);
    Control* button = byId(11);
    button->setFlag(ControlFlag::CaptureOnPress | ControlFlag::RepaintOnState, true);
    EventLog log;
    log.watch(button, "b", {E::GotCapture, E::LostCapture, E::LButtonDown, E::LButtonUp, E::MouseMove,
                            E::MouseLeave});
    log.watch(byId(10), "panel", {E::LButtonUp, E::LButtonDown});
    log.watch(window->root(), "root", {E::LButtonUp});

    send(WM_MOUSEMOVE, 0, at(10, 10));
    log.clear();
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    EXPECT_EQ(window->captureControl(), button);
    EXPECT_TRUE(button->hasFlag(ControlFlag::Pressed));
    EXPECT_EQ(log.joined(), "b:10 b:13 panel:13");
    log.clear();

    send(WM_MOUSEMOVE, MK_LBUTTON, at(120, 50));  // onto leaf 20
    EXPECT_EQ(log.joined(), "b:27 b:25") << "leaves the hover chain, still gets the moves";
    log.clear();

    send(WM_LBUTTONUP, 0, at(120, 50));
    EXPECT_EQ(log.joined(), "b:15 b:11") << "LButtonUp Direct (not to the panel or root), then LostCapture";
    EXPECT_FALSE(button->hasFlag(ControlFlag::Pressed));
    EXPECT_EQ(window->captureControl(), nullptr);

    // A release without capture bubbles from the control hit.
    log.clear();
    send(WM_LBUTTONUP, 0, at(60, 10));
    EXPECT_EQ(log.joined(), "panel:15 root:15");

    // A second press whose release never came: the new capture ends the old.
    Control* other = byId(12);
    other->setFlag(ControlFlag::CaptureOnPress, true);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    log.clear();
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(60, 10));
    EXPECT_EQ(window->captureControl(), other);
    EXPECT_FALSE(button->hasFlag(ControlFlag::Pressed)) << "no button stays pressed";
    EXPECT_EQ(log.joined(), "b:11 panel:13");
    send(WM_LBUTTONUP, 0, at(60, 10));
}

TEST_F(WindowTest, HandledPreviewStopsThePressAndHandledSetCursorIsAnswered) {
    open(kTwoLeaves);
    Control* leaf = byId(11);
    leaf->setFlag(ControlFlag::CaptureOnPress | ControlFlag::FocusOnPress, true);
    EventLog log;
    log.watch(leaf, "a", {E::GotCapture, E::GotFocus, E::LButtonDown, E::SetCursor});
    log.watch(byId(10), "panel", {E::SetCursor});
    // The panel takes the press on its way down to the leaf.
    EXPECT_TRUE(byId(10)->addHandler(E::PreviewLButtonDown, nullptr, [](void*, Control*, Event* e) { e->handled = 1; }));
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    EXPECT_EQ(log.joined(), "");
    EXPECT_EQ(window->captureControl(), nullptr);
    EXPECT_EQ(window->focusControl(), nullptr);
    EXPECT_FALSE(leaf->hasFlag(ControlFlag::Pressed));

    // SetCursor goes Direct to the control under the real cursor; a handler
    // that sets the cursor makes the window answer TRUE.
    EXPECT_TRUE(leaf->addHandler(E::SetCursor, nullptr, [](void*, Control*, Event* e) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        e->handled = 1;
    }));
    RECT r;
    GetWindowRect(hwnd, &r);
    SetCursorPos(r.left + 10, r.top + 10);
    EXPECT_EQ(send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(log.joined(), "a:28");
    SetCursorPos(2, 2);
}

TEST_F(WindowTest, HidingTheWindowEmptiesTheHoverChain) {
    open(kTwoLeaves);
    EventLog log;
    log.watch(byId(11), "a", {E::MouseLeave});
    log.watch(window->root(), "root", {E::MouseLeave});
    send(WM_MOUSEMOVE, 0, at(10, 10));
    ASSERT_EQ(window->hoverTarget(), byId(11));
    ShowWindow(hwnd, SW_HIDE);
    EXPECT_EQ(log.joined(), "a:27 root:27") << "hover target first";
    EXPECT_EQ(window->hoverTarget(), nullptr);
    EXPECT_FALSE(byId(10)->hasFlag(ControlFlag::Hovered));
}

TEST_F(WindowTest, DisabledOrMissedControlsGetNoPointerEvents) {
    open(kTwoLeaves);
    EventLog log;
    byId(11)->setFlag(ControlFlag::Enabled, false);
    log.watch(byId(11), "a", {E::LButtonDown, E::MouseMove, E::MouseWheel, E::RButtonDown});
    log.watch(window->root(), "root", {E::LButtonDown, E::MouseMove, E::RButtonDown});
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(10, 10));
    send(WM_MOUSEMOVE, 0, at(10, 10));
    POINT screen{110, 110};
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(log.joined(), "");
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(160, 10));
    EXPECT_EQ(log.joined(), "root:17");
}

TEST_F(WindowTest, HoverMovesBetweenSiblingsWithoutLeavingTheirParent) {
    open(kTwoLeaves);
    Control* panel = byId(10);
    Control* a = byId(11);
    Control* b = byId(12);
    EventLog log;
    for (auto [c, name] : {std::pair{window->root(), "root"}, {panel, "p"}, {a, "a"}, {b, "b"}})
        log.watch(c, name, {E::MouseEnter, E::MouseLeave});

    send(WM_MOUSEMOVE, 0, at(10, 10));
    EXPECT_EQ(log.joined(), "root:26 p:26 a:26") << "entered from the outermost";
    EXPECT_EQ(window->hoverTarget(), a);
    log.clear();

    send(WM_MOUSEMOVE, 0, at(60, 10));
    EXPECT_EQ(log.joined(), "a:27 b:26");
    EXPECT_TRUE(panel->hasFlag(ControlFlag::Hovered));
    EXPECT_FALSE(a->hasFlag(ControlFlag::Hovered));
    EXPECT_TRUE(b->hasFlag(ControlFlag::Hovered));
    log.clear();

    send(WM_MOUSEMOVE, 0, at(120, 10));
    EXPECT_EQ(log.joined(), "p:27 b:27") << "left from the outermost down to the old target";
    log.clear();

    send(WM_MOUSELEAVE);
    EXPECT_EQ(log.joined(), "root:27");
    EXPECT_EQ(window->hoverTarget(), nullptr);
    EXPECT_FALSE(window->root()->hasFlag(ControlFlag::Hovered));
}

TEST_F(WindowTest, DeepNestingDoesNotOverrunTheHoverChain) {
    std::string markup = "<Window initSize=\"100,100\">";
    for (int i = 0; i < 40; ++i) markup += "<Grid>";
    markup += "<Grid id=\"7\"/>";
    for (int i = 0; i < 40; ++i) markup += "</Grid>";
    markup += "</Window>";
    open(markup);
    auto hovered = [&] {
        int n = 0;
        for (Control* c = byId(7); c; c = c->parent()) n += c->hasFlag(ControlFlag::Hovered);
        return n;
    };
    send(WM_MOUSEMOVE, 0, at(5, 5));
    EXPECT_EQ(window->hoverTarget(), byId(7));
    EXPECT_TRUE(byId(7)->hasFlag(ControlFlag::Hovered));
    // The target and its 31 nearest ancestors; the outer ten (the root
    // among them) are not tracked.
    EXPECT_EQ(hovered(), 32);
    EXPECT_FALSE(window->root()->hasFlag(ControlFlag::Hovered));
    send(WM_MOUSELEAVE);
    EXPECT_EQ(hovered(), 0);
}

TEST_F(WindowTest, DoubleClickIsASecondPressUnlessWanted) {
    open(kTwoLeaves);
    EventLog log;
    log.watch(byId(11), "a", {E::LButtonDown, E::LButtonDbClick});
    log.watch(byId(12), "b", {E::LButtonDown, E::LButtonDbClick});
    byId(12)->setFlag(ControlFlag::WantsDoubleClick, true);
    for (int x : {10, 60}) {
        send(WM_LBUTTONDOWN, MK_LBUTTON, at(x, 10));
        send(WM_LBUTTONUP, 0, at(x, 10));
        send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(x, 10));
        send(WM_LBUTTONUP, 0, at(x, 10));
    }
    EXPECT_EQ(log.joined(), "a:13 a:13 b:13 b:20");
}

TEST_F(WindowTest, FocusComesBackOnKeyboardActivationOnly) {
    open(kTwoLeaves);
    Control* edit = byId(11);
    edit->setFlag(ControlFlag::FocusOnPress, true);
    EventLog log;
    log.watch(edit, "e", {E::GotFocus, E::LostFocus});
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    EXPECT_EQ(window->focusControl(), edit);
    EXPECT_TRUE(edit->hasFlag(ControlFlag::Focused));
    EXPECT_EQ(log.joined(), "e:2");
    log.clear();

    send(WM_KILLFOCUS);
    EXPECT_EQ(window->focusControl(), nullptr);
    EXPECT_EQ(window->rememberedFocus(), edit);
    EXPECT_FALSE(edit->hasFlag(ControlFlag::Focused)) << "lost like by any other path";
    send(WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0));
    EXPECT_EQ(window->focusControl(), nullptr);
    EXPECT_EQ(log.joined(), "e:3");
    send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    EXPECT_EQ(window->focusControl(), edit);
    EXPECT_TRUE(edit->hasFlag(ControlFlag::Focused));
    EXPECT_EQ(log.joined(), "e:3 e:2");
    log.clear();

    // Away, then back by a click on another control that takes the focus:
    // the first one does not keep its bit, and nothing brings it back.
    Control* other = byId(20);
    other->setFlag(ControlFlag::FocusOnPress, true);
    send(WM_KILLFOCUS);
    send(WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0));
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(110, 10));
    EXPECT_EQ(window->focusControl(), other);
    EXPECT_FALSE(edit->hasFlag(ControlFlag::Focused));
    EXPECT_EQ(window->rememberedFocus(), nullptr);
    send(WM_KILLFOCUS);
    send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    EXPECT_EQ(window->focusControl(), other);
    window->setFocus(edit);
    EXPECT_EQ(log.joined(), "e:3 e:2");
    log.clear();

    // A press on a control that clears the focus takes it away.
    byId(12)->setFlag(ControlFlag::ClearFocusOnPress, true);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(60, 10));
    EXPECT_EQ(log.joined(), "e:3");
    EXPECT_FALSE(edit->hasFlag(ControlFlag::Focused));

    // And after the window went away, such a press forgets the remembered
    // focus: activation from the keyboard then restores nothing.
    window->setFocus(edit);
    send(WM_KILLFOCUS);
    send(WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0));
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(60, 10));
    EXPECT_EQ(window->rememberedFocus(), nullptr);
    send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    EXPECT_EQ(window->focusControl(), nullptr);

    // A control outside this window cannot take its focus: nothing would
    // clear the focus when that control goes.
    window->setFocus(edit);
    {
        ControlPtr orphan(new Control);
        window->setFocus(orphan.get());
        EXPECT_EQ(window->focusControl(), edit);
        EXPECT_FALSE(orphan->hasFlag(ControlFlag::Focused));
    }
    window->setFocus(nullptr);
    EXPECT_EQ(window->focusControl(), nullptr);
    EXPECT_FALSE(edit->hasFlag(ControlFlag::Focused));
}

TEST_F(WindowTest, KeyboardGoesToTheFocusControlOrIsSwallowed) {
    open(kTwoLeaves);
    EventLog log;
    log.watch(byId(11), "a", {E::PreviewKeyDown, E::KeyDown, E::PreviewKeyUp, E::KeyUp, E::PreviewKeyPress,
                              E::KeyPress});
    log.watch(window->root(), "root", {E::PreviewKeyDown, E::KeyDown, E::KeyPress});
    EXPECT_EQ(send(WM_KEYDOWN, VK_LEFT, 1), 0);
    EXPECT_EQ(send(WM_CHAR, L'x', 1), 0);
    EXPECT_EQ(log.joined(), "") << "no focus: swallowed";

    window->setFocus(byId(11));
    send(WM_KEYDOWN, VK_LEFT, 1);
    send(WM_KEYUP, VK_LEFT, 1);
    send(WM_CHAR, 0x4E2D, 1);
    EXPECT_EQ(log.joined(), "root:4 a:4 a:5 root:5 a:6 a:7 a:8 a:9 root:9");
}

// Ticks at a fixed pace and runs an action on each tick.
class ActionTimer final : public Timer {
public:
    ActionTimer(uint32_t ms, std::function<void(int)> action) : Timer(ms), action_(std::move(action)) {}
    void tick() override { action_(++ticks); }
    int ticks = 0;

private:
    std::function<void(int)> action_;
};

TEST_F(WindowTest, ModalLoopEndsOnlyOnANonZeroCode) {
    open(kTwoLeaves, false);
    // An owner to be disabled while the loop runs.
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    WindowImpl* w = window;
    bool ownerDisabled = false, aliveAfterClose = false;
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    ActionTimer timer(30, [&](int tick) {
        if (tick == 2) {
            // Sent from inside the loop: it never passes the loop's filter.
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        if (tick == 3) {
            ownerDisabled = !IsWindowEnabled(owner);
            aliveAfterClose = IsWindow(hwnd) && IsWindowVisible(hwnd);
            w->endModal(0);
        }
        if (tick == 5) w->endModal(7);
    });
    timer.start();
    const int result = w->runModal(owner);
    timer.stop();
    window = nullptr;
    EXPECT_EQ(result, 7);
    EXPECT_GE(timer.ticks, 5);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(aliveAfterClose) << "close requests are dropped";
    EXPECT_FALSE(IsWindow(hwnd)) << "the loop destroys its window";
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST_F(WindowTest, ModalLoopEndsOnQuitAndPostsItAgain) {
    open(kTwoLeaves, false);
    ActionTimer timer(20, [](int tick) {
        if (tick == 2) PostQuitMessage(5);
    });
    timer.start();
    const int result = window->runModal(nullptr);
    timer.stop();
    window = nullptr;
    EXPECT_EQ(result, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

// The window a message hook ends with 5 when it sees the quit fetched.
WindowImpl* g_endOnQuit = nullptr;
LRESULT CALLBACK endOnQuit(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* m = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && m->message == WM_QUIT && g_endOnQuit) std::exchange(g_endOnQuit, nullptr)->endModal(5);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A result set while another loop took the wake-up message is seen before
// the loop waits (a watchdog would end a loop that waits anyway); a quit
// that arrives with a result set inside the wait is posted again.
TEST_F(WindowTest, ModalLoopSeesResultsSetOutsideItsDispatchAndKeepsTheQuit) {
    open(kTwoLeaves, false);
    WindowImpl* w = window;
    const HWND h = hwnd;
    ActionTimer* self = nullptr;
    ActionTimer timer(20, [&](int tick) {
        if (tick != 2) return;
        w->endModal(7);
        MSG taken;
        while (PeekMessageW(&taken, h, WM_NULL, WM_NULL, PM_REMOVE)) {
        }
        self->stop();
    });
    self = &timer;
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> fired = false;
    const DWORD thread = GetCurrentThreadId();
    std::thread watchdog([&] {
        if (WaitForSingleObject(stop, 3000) == WAIT_TIMEOUT) {
            fired = true;
            PostThreadMessageW(thread, WM_QUIT, 0, 0);
        }
    });
    timer.start();
    EXPECT_EQ(w->runModal(nullptr), 7);
    SetEvent(stop);
    watchdog.join();
    CloseHandle(stop);
    EXPECT_FALSE(fired) << "the loop waited with its result set";
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }

    // The quit is fetched, and a hook sets the result while it is.
    open(kTwoLeaves, false);
    g_endOnQuit = window;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &endOnQuit, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    ActionTimer quitter(20, [](int tick) {
        if (tick == 2) PostQuitMessage(3);
    });
    quitter.start();
    const int result = window->runModal(nullptr);
    quitter.stop();
    UnhookWindowsHookEx(hook);
    window = nullptr;
    EXPECT_EQ(g_endOnQuit, nullptr) << "the hook saw the quit";
    EXPECT_EQ(result, 5) << "the result read after the loop";
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is posted again";
}

TEST_F(WindowTest, ModalLoopSurvivesItsWindowBeingDestroyed) {
    open(kTwoLeaves, false);
    HWND h = hwnd;
    ActionTimer timer(20, [h](int tick) {
        if (tick == 2) DestroyWindow(h);
    });
    timer.start();
    EXPECT_EQ(window->runModal(nullptr), 0);
    timer.stop();
    window = nullptr;
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowTest, TimersTickAtOnceThenEveryIntervalUntilStopped) {
    const size_t before = Timer::runningCount();
    ActionTimer timer(40, [](int) {});
    EXPECT_TRUE(timer.start());
    EXPECT_EQ(timer.ticks, 1) << "start ticks once at once";
    EXPECT_TRUE(timer.start());
    EXPECT_EQ(timer.ticks, 1) << "starting a running timer does nothing";
    EXPECT_EQ(Timer::runningCount(), before + 1);
    EXPECT_TRUE(pumpUntil(2000, [&] { return timer.ticks >= 4; }));
    timer.stop();
    const int ticks = timer.ticks;
    pump(150);
    EXPECT_EQ(timer.ticks, ticks);
    EXPECT_EQ(Timer::runningCount(), before);

    // A timer stopping itself from its tick.
    ActionTimer* self = nullptr;
    ActionTimer once(10, [&](int tick) {
        if (tick == 2) self->stop();
    });
    self = &once;
    once.start();
    pump(120);
    EXPECT_EQ(once.ticks, 2);
}

TEST_F(WindowTest, CaretStartsInItsHiddenPhaseAndStaysVisibleWhenMoved) {
    open(kTwoLeaves);
    window->setCaretSize(1, 14);
    window->showCaret(10, 5);
    EXPECT_TRUE(window->caretBlinking());
    EXPECT_FALSE(window->caretVisible()) << "the first tick runs at once";
    EXPECT_EQ(window->caretRect(), (Rect{10, 5, 11, 19}));
    EXPECT_TRUE(pumpUntil(3000, [&] { return window->caretVisible(); })) << "visible one interval later";
    window->showCaret(20, 5);
    EXPECT_TRUE(window->caretVisible());
    window->showCaret(30, 5);
    EXPECT_TRUE(window->caretVisible()) << "moving a blinking caret keeps it visible";
    window->hideCaret();
    EXPECT_FALSE(window->caretVisible());
    EXPECT_FALSE(window->caretBlinking());
}

TEST_F(WindowTest, TooltipIsShiftedLeftAtTheScreenEdge) {
    EXPECT_EQ(WindowImpl::tooltipPosition({100, 200}, 5, 1920), (Point{100, 219}));
    // 10 characters are estimated 140 pixels wide.
    EXPECT_EQ(WindowImpl::tooltipPosition({1777, 50}, 10, 1920), (Point{1777, 69}));
    EXPECT_EQ(WindowImpl::tooltipPosition({1779, 50}, 10, 1920), (Point{1778, 69}));
    EXPECT_EQ(WindowImpl::tooltipPosition({1900, 50}, 10, 1920), (Point{1920 - 142, 69}));
}

TEST_F(WindowTest, HoverShowsTheControlsOwnTooltipAndAPressHidesIt) {
    open("<Window initSize=\"200,100\" tooltip=\"root tip\">"
         "<Grid id=\"1\" width=\"50\" horizontalAlign=\"left\" tooltip=\"提示文字\"/>"
         "<Grid id=\"2\" width=\"50\" horizontalAlign=\"right\"/></Window>");
    EXPECT_FALSE(window->tooltipWindow()) << "made before the first tooltip";
    send(WM_MOUSEHOVER, 0, at(10, 10));
    ASSERT_TRUE(window->tooltipWindow());
    EXPECT_TRUE(window->tooltipVisible());
    EXPECT_EQ(window->tooltipText(), u"提示文字");
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = window->tooltipWindow();
    info.hdr.code = TTN_GETDISPINFOW;
    send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_TRUE(info.lpszText);
    EXPECT_EQ(std::wstring(info.lpszText), L"提示文字");

    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    EXPECT_FALSE(window->tooltipVisible());
    send(WM_LBUTTONUP, 0, at(10, 10));
    send(WM_MOUSEHOVER, 0, at(190, 10));
    EXPECT_FALSE(window->tooltipVisible()) << "an ancestor's tooltip is not shown";
}

TEST_F(WindowTest, ForgettingAControlDropsItsFocusCaptureAndHover) {
    open(kTwoLeaves);
    Control* panel = byId(10);
    Control* leaf = byId(11);
    leaf->setFlag(ControlFlag::CaptureOnPress | ControlFlag::FocusOnPress, true);
    send(WM_MOUSEMOVE, 0, at(10, 10));
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    ASSERT_EQ(window->focusControl(), leaf);
    ASSERT_EQ(window->captureControl(), leaf);
    ASSERT_EQ(window->hoverTarget(), leaf);
    EventLog log;
    log.watch(window->root(), "root", {E::MouseLeave});
    log.watch(panel, "p", {E::MouseLeave});
    log.watch(leaf, "a", {E::MouseLeave});
    Control* const gone = panel;
    panel->destroy();
    EXPECT_EQ(window->focusControl(), nullptr);
    EXPECT_EQ(window->captureControl(), nullptr);
    EXPECT_EQ(window->hoverTarget(), nullptr);
    EXPECT_EQ(log.joined(), "a:27 p:27") << "the leaf, then the panel it leaves with; the root stays on the chain";
    EXPECT_TRUE(window->root()->hasFlag(ControlFlag::Hovered));

    // A new control in the panel's pool slot is not taken for the panel
    // still being on the hover chain.
    auto* fresh = new Grid;
    ASSERT_EQ(static_cast<Control*>(fresh), gone) << "the pool hands out the slot released last";
    window->root()->asPanel()->addChild(fresh);
    log.watch(fresh, "fresh", {E::MouseLeave});
    log.clear();
    send(WM_MOUSEMOVE, 0, at(120, 10));
    EXPECT_EQ(window->hoverTarget(), byId(20));
    EXPECT_EQ(log.joined(), "");
    send(WM_MOUSELEAVE);  // the root leaves the chain while the log still listens
}

TEST_F(WindowTest, DestroyingTheWindowDetachesTheTree) {
    open(kTwoLeaves);
    Control* leaf = byId(11);
    EventLog log;
    log.watch(leaf, "leaf", {E::Detached});
    static WindowImpl* destroyed = nullptr;
    WindowImpl::setDestroyHook([](WindowImpl& w) { destroyed = &w; });
    WindowImpl* w = window;
    DestroyWindow(hwnd);
    WindowImpl::setDestroyHook(nullptr);
    window = nullptr;
    EXPECT_EQ(destroyed, w);
    EXPECT_EQ(log.joined(), "leaf:1");
    EXPECT_FALSE(LiveSet::contains(leaf));
    EXPECT_EQ(WindowImpl::fromHandle(hwnd), nullptr);
}

TEST_F(WindowTest, PostedEventsRunThroughTheDispatcherWindow) {
    HWND dispatcher = FindWindowW(DispatcherWindow::kClassName, nullptr);
    ASSERT_TRUE(dispatcher);
    EXPECT_FALSE(IsWindowVisible(dispatcher));
    open(kTwoLeaves);
    EventLog log;
    log.watch(byId(11), "a", {E::Click});
    std::thread other([&] { byId(11)->postEvent(makeEvent(E::Click, Routing::Direct)); });
    other.join();
    byId(11)->postEvent(makeEvent(E::Click, Routing::Direct));
    EXPECT_EQ(log.joined(), "") << "nothing runs before the messages are dispatched";
    EXPECT_TRUE(pumpUntil(1000, [&] { return log.lines.size() == 2; }));

    // A post whose target has gone is freed without delivery.
    Control* leaf = byId(12);
    log.watch(leaf, "b", {E::Click});
    leaf->postEvent(makeEvent(E::Click, Routing::Direct));
    leaf->destroy();
    pump(50);
    EXPECT_EQ(log.lines.size(), 2u);
}

TEST(Framework, StopRunsWhatIsQueuedAndLaterPostsFindNoContext) {
    ASSERT_TRUE(startFramework());
    EXPECT_FALSE(startFramework()) << "only one at a time";
    std::atomic<int> ran{0};
    auto* task = new PostedTask;
    task->function = [](PostedTask* t) { ++*static_cast<std::atomic<int>*>(t->owner); };
    task->owner = &ran;
    ASSERT_TRUE(UiContext::postTask(task));
    stopFramework();
    EXPECT_EQ(ran, 1) << "the queued task ran at stop";
    EXPECT_EQ(UiContext::current(), nullptr);
    EXPECT_FALSE(FindWindowW(DispatcherWindow::kClassName, nullptr));
    ControlPtr orphan(new Control);
    orphan->postEvent(makeEvent(E::Click, Routing::Direct));  // no context: dropped
    stopFramework();                                          // twice: nothing
}

} // namespace
} // namespace nelvo
