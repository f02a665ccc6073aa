// The control gallery (resources/gallery) as skin authors see it: the
// window with every control of the framework, in the gallery's skin, shown
// in a real window, driven by window messages and photographed into
// out/screenshots/controls-*.png: each control at rest, hovered, pressed
// and disabled, the combo box's list open downwards and upwards, a tab page
// sliding in.

#include "dui/LayoutHolder.h"
#include "dui/Markup.h"
#include "dui/DpiScale.h"
#include "dui/Panel.h"
#include "dui/ScaledImageCache.h"
#include "dui/SkinLookup.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "dui/controls/ComboBox.h"
#include "dui/controls/ComboHelperWnd.h"
#include "dui/controls/ListBox.h"
#include "dui/controls/ScrollBar.h"
#include "dui/controls/ScrollPanel.h"
#include "dui/controls/Slider.h"
#include "dui/controls/TabControl.h"
#include "dui/controls/TabItem.h"
#include "dui/controls/WebBrowser.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Surface.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>
#include <vector>
#include <string>
#include <typeinfo>

namespace nelvo {
namespace {

using test::pump;

HeapBlock galleryFile(const wchar_t* name) {
    // out/ lies under an ASCII path in every build tree.
    const std::wstring path = test::outDir() + L"\\resources\\gallery\\" + name;
    std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HeapBlock block = HeapBlock::allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(block.data(), bytes.data(), bytes.size());
    return block;
}

// What the hooks photograph: the picture's name; the window whose area is
// taken with the popup's.
std::wstring g_picture;
HWND g_window = nullptr;

void photographOpenList(ComboBox&, HWND popup) {
    RECT area, list;
    GetWindowRect(g_window, &area);
    GetWindowRect(popup, &list);
    UnionRect(&area, &area, &list);
    test::photographBusyArea(area, g_picture);
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
}

// Where the last popup opened, on the screen.
RECT g_popupRect{};

void photographOpenListAndItsPlace(ComboBox& combo, HWND popup) {
    GetWindowRect(popup, &g_popupRect);
    photographOpenList(combo, popup);
}

void photographHalfWay(TabControl& tabs, Control&, int step) {
    if (step != 5) return;
    Rect r;
    tabs.windowRect(r);
    POINT origin{0, 0};
    ClientToScreen(g_window, &origin);
    test::photographBusyArea({origin.x + r.left, origin.y + r.top, origin.x + r.right, origin.y + r.bottom}, g_picture);
}

void collect(Control& c, std::set<std::string>& types) {
    types.insert(typeid(c).name());
    if (Panel* p = c.asPanel())
        for (Control* child = p->firstChild(); child; child = child->nextSibling()) collect(*child, types);
}

class GalleryTest : public test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        std::string error;
        ASSERT_TRUE(SkinManager::current()->loadSkinBytes(galleryFile(L"style.lz"), &error)) << error;
        ASSERT_TRUE(UiContext::current()->layouts().load(galleryFile(L"frame.lz"), &error)) << error;
        ControlPtr root = loadLayout(u"gallery.xml", &error);
        ASSERT_TRUE(root) << error;
        window_ = WindowImpl::create(std::move(root), WS_POPUP, 0, &error);
        ASSERT_TRUE(window_) << error;
        hwnd_ = window_->handle();
        SetCursorPos(2, 2);
        SetWindowPos(hwnd_, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
        pump(50);
    }
    void TearDown() override {
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        pump(20);
    }

    Control& control(int32_t id) {
        Control* c = window_->childById(id);
        EXPECT_TRUE(c) << "no control " << id;
        return c ? *c : *window_->root();
    }
    // A client point `dx`, `dy` from the control's top-left corner (negative:
    // from the right or bottom edge).
    POINT at(Control& c, int dx, int dy) {
        Rect r;
        c.windowRect(r);
        return {dx >= 0 ? r.left + dx : r.right + dx, dy >= 0 ? r.top + dy : r.bottom + dy};
    }
    void send(UINT message, WPARAM wp, POINT p) {
        SendMessageW(hwnd_, message, wp, MAKELPARAM(p.x, p.y));
        pump(5);
    }
    // The control and 4 pixels around it, as it is on screen.
    std::vector<uint32_t> photograph(Control& c, const std::wstring& name) {
        UpdateWindow(hwnd_);
        pump(10);
        Rect r;
        c.windowRect(r);
        POINT origin{0, 0};
        ClientToScreen(hwnd_, &origin);
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(test::photographBusyArea(
            {origin.x + r.left - 4, origin.y + r.top - 4, origin.x + r.right + 4, origin.y + r.bottom + 4},
            L"controls-" + name, &pixels));
        return pixels;
    }
    struct States {
        std::vector<uint32_t> rest, hovered, pressed;
    };
    // At rest, hovered at `p`, pressed there, released away from it.
    States photographStates(Control& c, POINT p, const std::wstring& name) {
        States seen;
        seen.rest = photograph(c, name + L"-rest");
        send(WM_MOUSEMOVE, 0, p);
        seen.hovered = photograph(c, name + L"-hovered");
        send(WM_LBUTTONDOWN, MK_LBUTTON, p);
        seen.pressed = photograph(c, name + L"-pressed");
        send(WM_LBUTTONUP, 0, p);
        send(WM_MOUSEMOVE, 0, {1, 1});
        return seen;
    }
    // Each state draws differently from the one before it.
    static void expectThreeLooks(const States& seen, const char* what) {
        EXPECT_NE(seen.rest, seen.hovered) << what << ": hovering shows";
        EXPECT_NE(seen.hovered, seen.pressed) << what << ": pressing shows";
    }

    WindowImpl* window_ = nullptr;
    HWND hwnd_ = nullptr;
};

TEST_F(GalleryTest, EveryElementOfTheVocabularyBuildsItsOwnControl) {
    std::set<std::string> types;
    collect(*window_->root(), types);
    // The list box, the combo box's list and the tab pages hold controls
    // that are not children of panels; the types that matter are here.
    for (const std::type_info* t : {&typeid(ScrollPanel), &typeid(ListBox), &typeid(Slider), &typeid(ComboBox),
                                    &typeid(TabControl), &typeid(WebBrowser)})
        EXPECT_TRUE(types.count(t->name())) << t->name();
    EXPECT_TRUE(test::saveWindowPng(hwnd_, test::screenshotDir() + L"\\controls-gallery.png"));
}

TEST_F(GalleryTest, AtOneAndAHalfAndTwiceTheScaleFromPiecesMadeOnce) {
    // The tree painted into a back buffer at 144 and 192 DPI through the
    // host's transform, twice; photographed for skin authors.
    ScaledImageCache& cache = ScaledImageCache::instance();
    Control& root = *window_->root();
    const Rect units = root.bounds();
    for (const int dpi : {144, 192}) {
        const DpiScale scale{dpi};
        test::Surface first(scale.toDevice(units.width()), scale.toDevice(units.height()));
        test::Surface again(first.width(), first.height());
        const uint64_t made = cache.made();
        // The window's paint starts with its default font selected.
        SelectObject(first.dc(), findFont(kDefaultFontName));
        SelectObject(again.dc(), findFont(kDefaultFontName));
        first.setDpi(dpi);
        root.paint(first.dc(), units, units);
        EXPECT_GT(cache.made(), made + 20) << "the skin's images are resampled";
        const uint64_t afterFirst = cache.made();
        again.setDpi(dpi);
        root.paint(again.dc(), units, units);
        EXPECT_EQ(cache.made(), afterFirst) << "a second paint finds every piece";
        EXPECT_TRUE(std::equal(first.pixels(), first.pixels() + first.width() * first.height(), again.pixels()));
        test::savePixelsPng(first.pixels(), first.width(), first.height(),
                            test::screenshotDir() + L"\\controls-gallery-" + std::to_wstring(dpi) + L".png");
    }
}

TEST_F(GalleryTest, NewControlsAtRestHoveredPressedAndDisabled) {
    auto& list = static_cast<ListBox&>(control(202));
    // The vertical bar at the list's right edge: its thumb, then an item
    // (labels take no hover; the click chooses it).
    expectThreeLooks(photographStates(list, at(list, -7, 22), L"listbox-thumb"), "list thumb");
    const States item = photographStates(list, at(list, 40, 12), L"listbox-item");
    EXPECT_EQ(list.selectedText(), u"Nelvo 主程序");
    EXPECT_NE(item.rest, photograph(list, L"listbox-item-chosen")) << "the chosen item shows";
    Control& panel = control(201);
    expectThreeLooks(photographStates(panel, at(panel, -7, 4), L"scrollpanel-arrow"), "panel arrow");
    Control& slider = control(203);
    expectThreeLooks(photographStates(slider, at(slider, 110, 10), L"slider"), "slider");
    photograph(control(204), L"slider-disabled");
    photograph(control(205), L"slider-vertical");
    Control& tabs = control(301);
    expectThreeLooks(photographStates(tabs, at(tabs, 108, 14), L"tabs"), "tab header");
    photograph(control(302), L"tabs-left");
    photograph(control(303), L"webbrowser");
    Control& combo = control(206);
    const std::vector<uint32_t> rest = photograph(combo, L"combobox-rest");
    send(WM_MOUSEMOVE, 0, at(combo, 40, 14));
    EXPECT_NE(rest, photograph(combo, L"combobox-hovered")) << "combo box: hovering shows";
    send(WM_MOUSEMOVE, 0, {1, 1});
    photograph(control(207), L"combobox-disabled");
}

TEST_F(GalleryTest, ComboListOpenDownAndUpAndATabSlidingIn) {
    g_window = hwnd_;
    std::vector<std::wstring> pictures;
    for (const wchar_t* name : {L"combobox-open-down", L"combobox-open-up", L"tabs-slide-half-way"}) {
        pictures.push_back(test::screenshotDir() + L"\\controls-" + name + L".png");
        DeleteFileW(pictures.back().c_str());
    }
    ComboHelperWnd::setShownHook(&photographOpenList);
    TabControl::setSlideStepHook(&photographHalfWay);
    Control& combo = control(206);
    g_picture = L"controls-combobox-open-down";
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(combo, 40, 14));
    send(WM_LBUTTONUP, 0, at(combo, 40, 14));
    // The window low on the screen: the list opens upwards.
    RECT w;
    GetWindowRect(hwnd_, &w);
    SetWindowPos(hwnd_, nullptr, w.left, GetSystemMetrics(SM_CYSCREEN) - (w.bottom - w.top) + 60, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    pump(20);
    g_picture = L"controls-combobox-open-up";
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(combo, 40, 14));
    send(WM_LBUTTONUP, 0, at(combo, 40, 14));
    SetWindowPos(hwnd_, nullptr, w.left, w.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump(20);
    g_picture = L"controls-tabs-slide-half-way";
    Control& tabs = control(301);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(tabs, 180, 14));
    send(WM_LBUTTONUP, 0, at(tabs, 180, 14));
    ComboHelperWnd::setShownHook(nullptr);
    TabControl::setSlideStepHook(nullptr);
    // The list closed unchanged both times; the third tab is chosen.
    EXPECT_EQ(*combo.findText(attr::text), u"简体中文");
    const std::u16string* chosen = static_cast<TabControl&>(tabs).selectedItem()->findText(attr::text);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, u"关于");
    for (const std::wstring& picture : pictures)
        EXPECT_NE(GetFileAttributesW(picture.c_str()), INVALID_FILE_ATTRIBUTES) << "no picture taken";
}

// The gallery at 144 DPI: the window at one and a half times its layout
// size with everything drawn at that scale (controls-gallery-dpi144.png),
// the pointer read at the scale, and the combo box's list opened right under
// its box, as wide as the box on the screen (controls-combobox-open-dpi144).
TEST_F(GalleryTest, AtOneAndAHalfTimesTheScale) {
    DestroyWindow(hwnd_);
    pump(20);
    std::string error;
    ControlPtr root = loadLayout(u"gallery.xml", &error);
    ASSERT_TRUE(root) << error;
    WindowImpl::setDpiOverride(144);
    window_ = WindowImpl::create(std::move(root), WS_POPUP, 0, &error);
    WindowImpl::setDpiOverride(0);
    ASSERT_TRUE(window_) << error;
    hwnd_ = window_->handle();
    const DpiScale scale = window_->dpiScale();
    ASSERT_EQ(scale.dpi, 144);
    SetWindowPos(hwnd_, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    pump(50);
    RECT w;
    GetWindowRect(hwnd_, &w);
    const Rect units = window_->root()->bounds();
    EXPECT_EQ(w.right - w.left, scale.toDevice(units.width()));
    EXPECT_EQ(w.bottom - w.top, scale.toDevice(units.height()));
    EXPECT_TRUE(test::saveWindowPng(hwnd_, test::screenshotDir() + L"\\controls-gallery-dpi144.png"));

    Control& combo = control(206);
    Rect box;
    combo.windowRect(box);
    const Rect device = scale.toDevice(box);
    const POINT press{device.left + 60, device.top + 20};
    send(WM_MOUSEMOVE, 0, press);
    EXPECT_TRUE(combo.hasFlag(ControlFlag::Hovered)) << "the pointer is read at the scale";
    g_window = hwnd_;
    g_picture = L"controls-combobox-open-dpi144";
    g_popupRect = {};
    ComboHelperWnd::setShownHook(&photographOpenListAndItsPlace);
    send(WM_LBUTTONDOWN, MK_LBUTTON, press);
    send(WM_LBUTTONUP, 0, press);
    ComboHelperWnd::setShownHook(nullptr);
    EXPECT_EQ(g_popupRect.left, w.left + device.left);
    EXPECT_EQ(g_popupRect.top, w.top + device.bottom);
    EXPECT_EQ(g_popupRect.right - g_popupRect.left, device.width());
    EXPECT_EQ(g_popupRect.bottom - g_popupRect.top, scale.toDevice(ComboBox::popupHeight(static_cast<ComboBox&>(combo).itemCount())));
}

// The win events raised for the gallery's window: event and child id.
std::vector<std::pair<DWORD, LONG>> g_winEvents;
HWND g_eventWindow = nullptr;

void CALLBACK recordWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (hwnd == g_eventWindow && object == OBJID_CLIENT) g_winEvents.emplace_back(event, child);
}

// Every control of the gallery by keys alone, and as an accessibility
// client is told of it.
TEST_F(GalleryTest, EveryControlByKeysAndAsAReaderSeesIt) {
    g_eventWindow = hwnd_;
    g_winEvents.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, &recordWinEvent,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    const auto heard = [&](DWORD event, Control& c) {
        pump(20);
        const LONG id = window_->accessibleId(&c);
        for (const auto& [e, child] : g_winEvents)
            if (e == event && child == id && id != CHILDID_SELF) return true;
        return false;
    };
    auto key = [&](WPARAM vk) {
        SendMessageW(hwnd_, WM_KEYDOWN, vk, 1);
        pump(5);
    };
    auto role = [&](Control& c) { return c.clientRole(); };
    const std::vector<Control*> children = window_->accessibleChildren();
    auto& list = static_cast<ListBox&>(control(202));
    int items = 0;
    for (Control* c : children) items += role(*c) == access::Role::ListItem;
    EXPECT_EQ(items, 8);
    EXPECT_EQ(role(list), access::Role::List);
    EXPECT_EQ(role(control(301)), access::Role::PageTabList);
    EXPECT_EQ(control(206).accessibleValue(), u"简体中文");
    EXPECT_EQ(control(203).accessibleValue(), u"50");
    EXPECT_EQ(role(control(201)), access::Role::Pane);
    // Only the selected tab's page is there for a reader.
    const auto named = [&](std::u16string_view name) {
        for (Control* c : children)
            if (c->accessibleName() == name) return true;
        return false;
    };
    EXPECT_TRUE(named(u"第一页：常规设置"));
    EXPECT_FALSE(named(u"第二页：高级设置"));

    // A focus set without the keyboard shows nothing; the first key shows
    // the focus cue.
    Control& button = control(101);
    const std::vector<uint32_t> rest = photograph(button, L"button-focus-hidden");
    window_->setFocus(&button);
    EXPECT_EQ(rest, photograph(button, L"button-focus-hidden")) << "focus shown before the keyboard was used";
    key(VK_SHIFT);
    EXPECT_NE(rest, photograph(button, L"button-focus-cue")) << "no focus cue after a key";

    // Tab skips what is disabled: the two disabled buttons after 101.
    key(VK_TAB);
    EXPECT_EQ(window_->focusControl(), &control(103));

    window_->setFocus(&list);
    key(VK_DOWN);
    EXPECT_EQ(list.selectedText(), u"Nelvo 主程序") << "Down with nothing selected selects the first";
    key(VK_END);
    EXPECT_EQ(list.selectedText(), u"示例图片");
    EXPECT_TRUE(list.item(1)->clientAction());
    EXPECT_EQ(list.selectedText(), u"摄像头驱动");

    auto& slider = static_cast<Slider&>(control(203));
    window_->setFocus(&slider);
    key(VK_RIGHT);
    EXPECT_EQ(slider.value(), 51);
    key(VK_NEXT);
    EXPECT_EQ(slider.value(), 41);
    key(VK_END);
    EXPECT_EQ(slider.accessibleValue(), u"100");
    EXPECT_TRUE(heard(EVENT_OBJECT_FOCUS, slider));
    EXPECT_TRUE(heard(EVENT_OBJECT_VALUECHANGE, slider));

    Control& combo = control(206);
    window_->setFocus(&combo);
    key(VK_DOWN);
    EXPECT_EQ(combo.accessibleValue(), u"繁體中文");

    auto& tabs = static_cast<TabControl&>(control(301));
    window_->setFocus(tabs.firstChild());
    key(VK_RIGHT);
    EXPECT_EQ(tabs.selectedItem(), tabs.firstChild()->nextSibling());
    EXPECT_EQ(window_->focusControl(), tabs.firstChild()->nextSibling());

    auto& panel = static_cast<ScrollPanel&>(control(201));
    ASSERT_TRUE(panel.focusable());
    window_->setFocus(&panel);
    key(VK_DOWN);
    ASSERT_TRUE(panel.verticalBar());
    EXPECT_EQ(panel.verticalBar()->position(), 20);

    // A check box's toggle is a state change.
    Control& box = control(109);
    window_->setFocus(&box);
    key(VK_SPACE);
    pump(20);
    EXPECT_TRUE(box.checked());
    EXPECT_TRUE(heard(EVENT_OBJECT_STATECHANGE, box));
    UnhookWinEvent(hook);
}

} // namespace
} // namespace nelvo
