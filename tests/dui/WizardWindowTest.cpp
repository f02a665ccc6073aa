// The wizard window as start-up builds it: both packages read from the real
// setup.exe, the window made from "mainframe.xml", its four pages shown one
// at a time in a real window and photographed into out/screenshots.

#include "dui/controls/Button.h"
#include "dui/controls/CheckBox.h"
#include "dui/controls/Edit.h"
#include "dui/controls/Label.h"
#include "dui/controls/ProgressBar.h"
#include "dui/controls/ShippedControls.h"
#include "dui/Framework.h"
#include "dui/Markup.h"
#include "dui/Panel.h"
#include "dui/SkinLookup.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "base/UniqueHandle.h"
#include "store/ResourceFileSystem.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Surface.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <sstream>

namespace nelvo {
namespace {

using test::pump;
using test::Surface;

Control* findById(Control* c, int32_t id) {
    int32_t own;
    if (c->getInt(attr::id, own) && own == id) return c;
    if (Panel* p = c->asPanel())
        for (Control* child = p->firstChild(); child; child = child->nextSibling())
            if (Control* found = findById(child, id)) return found;
    return nullptr;
}

// The device pixels `text` takes in `font` at `dpi`: measured in a font made
// at the scaled height, without a transform, as the system draws text for a
// program that knows its DPI.
SIZE deviceExtent(std::u16string_view text, HFONT font, int32_t dpi) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, 96);
    UniqueFont scaled(CreateFontIndirectW(&lf));
    UniqueDc dc(CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.get(), scaled.get());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), reinterpret_cast<const wchar_t*>(text.data()), int(text.size()), &size);
    return size;
}

// Every shown text of the tree that does not fit its box at the window's
// scale, one line each; empty when all fit. Labels, buttons and check boxes
// hold one line; a text view that cannot scroll (read-only, like the
// finish page's) shows all its lines, each within its width.
std::string overflowingTexts(WindowImpl& window, Control& c, int32_t checkIconWidth) {
    if (!c.visible()) return {};
    std::ostringstream out;
    const DpiScale scale = window.dpiScale();
    Rect r;
    c.windowRect(r);
    const Rect box = scale.toDevice(r);
    const std::u16string* text = c.findText(attr::text);
    const HFONT font = controlFont(c);
    auto check = [&](std::u16string_view shown, int32_t width, int32_t height, const char* what) {
        const SIZE e = deviceExtent(shown, font, scale.dpi);
        if (e.cx > width || e.cy > height)
            out << "dpi " << scale.dpi << ", " << what << " at " << r.left << "," << r.top << ": text " << e.cx << "x"
                << e.cy << " in " << width << "x" << height << "\n";
    };
    if (text && !text->empty() && font) {
        if (dynamic_cast<Label*>(&c)) {
            const Rect p = c.rectOr(attr::padding, {});
            const Rect inner = scale.toDevice(Rect{r.left + p.left, r.top + p.top, r.right - p.right, r.bottom - p.bottom});
            check(*text, inner.width(), inner.height(), "label");
        } else if (dynamic_cast<CheckBox*>(&c)) {
            check(*text, box.width() - scale.toDevice(checkIconWidth + 4), box.height(), "check box");
        } else if (dynamic_cast<Button*>(&c)) {
            check(*text, box.width(), box.height(), "button");
        }
    }
    if (auto* edit = dynamic_cast<Edit*>(&c); edit && !edit->editable() && !edit->getText().empty()) {
        Size pad{5, 5};
        c.getSize(attr::textpadding, pad);
        const EditLayout& lines = edit->layout();
        if (lines.count() > edit->visibleLineCount())
            out << "dpi " << scale.dpi << ", text view at " << r.left << "," << r.top << ": " << lines.count()
                << " lines, " << edit->visibleLineCount() << " shown\n";
        const std::u16string all = edit->getText();
        for (int32_t k = 0; k < lines.count(); ++k) {
            const EditLine& line = lines.line(k);
            const std::u16string_view shown(all.data() + line.start, size_t(line.contentEnd() - line.start));
            check(shown, scale.toDevice(r.width() - 2 * pad.cx), scale.toDevice(edit->lineHeight()), "text view line");
        }
    }
    if (Panel* p = c.asPanel())
        for (Control* child = p->firstChild(); child; child = child->nextSibling())
            out << overflowingTexts(window, *child, checkIconWidth);
    return out.str();
}

class WizardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The test runs in out/tests; setup.exe lies beside that folder.
        exe_ = LoadLibraryExW(L"..\\setup.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(exe_) << "cannot open ..\\setup.exe";
        store_ = std::make_unique<ResourceFileSystem>(exe_);
        registerSetupResources(*store_);
        setCurrentFileSystem(store_.get());
        framework_ = std::make_unique<FrameworkScope>();
        ASSERT_TRUE(framework_->started());
        registerShippedControls(UiContext::current()->factory());
        // The order of start-up: the skin first, then the layouts.
        std::string error;
        ASSERT_TRUE(SkinManager::current()->loadSkinPackage(u"style.lz", &error)) << error;
        ASSERT_TRUE(UiContext::current()->layouts().load(store_->load(u"frame.lz"), &error)) << error;
        SetCursorPos(2, 2);
    }
    void TearDown() override {
        WindowImpl::setDpiOverride(0);
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        pump(20);
        framework_.reset();
        setCurrentFileSystem(nullptr);
        store_.reset();
        if (exe_) FreeLibrary(exe_);
    }

    // The wizard's window with what its script fills in before and while
    // it runs; null, with a test failure, when it cannot be made.
    static WindowImpl* openWizard() {
        std::string error;
        ControlPtr root = loadLayout(u"mainframe.xml", &error);
        EXPECT_TRUE(root) << error;
        if (!root) return nullptr;
        findById(root.get(), 2001)->setText(attr::text,
            u"Nelvo 软件许可协议\r\n\r\n请您仔细阅读以下条款。安装、复制或以其他方式使用本软件，即表示您同意受本协议条款的约束。"
            u"\r\n\r\n1. 许可授予：在遵守本协议的前提下，您可以在一台计算机上安装和使用本软件。");
        findById(root.get(), 3001)->setText(attr::text, u"C:\\Program Files\\Nelvo");
        findById(root.get(), 5001)->setText(attr::text,
            u"安装程序已经在您的电脑中安装了Nelvo。此应用程序可以通过选择安装的快捷方式运行。\r\n\r\n单击“完成”退出安装程序。");
        findById(root.get(), 5001)->setFlag(ControlFlag::Enabled, false);
        findById(root.get(), 5002)->setFlag(ControlFlag::Checked, true);
        WindowImpl* window = WindowImpl::create(std::move(root), WS_POPUP, 0, &error);
        EXPECT_TRUE(window) << error;
        if (!window) return nullptr;
        if (auto* progress = dynamic_cast<ProgressBar*>(window->childById(4001))) {
            progress->setRange(100);
            progress->setPosition(42);
            window->childById(4002)->setText(attr::text, u"42%");
            window->childById(4003)->setText(attr::text, u"正在解压缩文件:C:\\Program Files\\Nelvo\\Nelvo.exe");
        }
        return window;
    }
    static void showPage(WindowImpl& window, int32_t shown) {
        for (int32_t page : kPages) window.childById(page)->setFlag(ControlFlag::Visible, page == shown);
    }
    static constexpr int32_t kPages[] = {2000, 3000, 4000, 5000};

    HMODULE exe_ = nullptr;
    std::unique_ptr<ResourceFileSystem> store_;
    std::unique_ptr<FrameworkScope> framework_;
    HWND hwnd = nullptr;
};

TEST_F(WizardWindowTest, SkinPackageHoldsEveryStyleImageAndFontTheWizardNames) {
    SkinManager& skins = *SkinManager::current();
    for (const char16_t* style : {u"mainbkg.xml", u"seldirbkg.xml", u"button.xml", u"btnMinimize.xml", u"btnClose.xml",
                                  u"btnBrowse.xml", u"textbox.xml", u"checkbox.xml", u"edit.xml"})
        EXPECT_TRUE(skins.getStyle(style)) << std::string(style, style + std::char_traits<char16_t>::length(style));
    for (const char16_t* image : {u"logo.png", u"pro_bg.png", u"pro_fg.png", u"mainbkg.png", u"seldirbkg.png",
                                  u"button.png", u"close.png", u"min.png", u"browserbtn.png", u"check.png",
                                  u"editnormal.png", u"editfocus.png", u"editdisable.png"}) {
        ImageRecord* record = skins.getImage(image);
        ASSERT_TRUE(record && record->bitmap());
    }
    EXPECT_EQ(skins.getImage(u"mainbkg.png")->width(), 504);
    EXPECT_EQ(skins.getImage(u"mainbkg.png")->height(), 366);
    EXPECT_FALSE(skins.getImage(u"mainbkg.png")->hasTransparency()) << "the background is copied, not blended";
    EXPECT_EQ(skins.getImage(u"button.png")->height() % 4, 0);
    EXPECT_EQ(skins.getImage(u"check.png")->height() % 8, 0);
    for (const char16_t* font : {u"Default", u"Default.Big", u"Default.Bold", u"Default.BigBold"}) {
        ASSERT_TRUE(skins.getFont(font));
        LOGFONTW lf{};
        GetObjectW(skins.getFont(font), sizeof lf, &lf);
        EXPECT_STREQ(lf.lfFaceName, L"新宋体");
    }
    EXPECT_TRUE(skins.member(u"setup.ico"));
}

TEST_F(WizardWindowTest, FourPagesInTheRoundCorneredFrame) {
    WindowImpl* window = openWizard();
    ASSERT_TRUE(window);
    hwnd = window->handle();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 504);
    EXPECT_EQ(r.bottom - r.top, 366);
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetWindowRgn(hwnd, region.get()), COMPLEXREGION);

    SetWindowPos(hwnd, HWND_TOPMOST, 60, 60, 0, 0, SWP_NOSIZE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowTextW(hwnd, L"Nelvo 安装");

    const int32_t pages[] = {2000, 3000, 4000, 5000};
    const wchar_t* names[] = {L"licence", L"folder", L"progress", L"finish"};
    for (size_t i = 0; i < 4; ++i) {
        for (int32_t page : pages) window->childById(page)->setFlag(ControlFlag::Visible, page == pages[i]);
        window->root()->invalidate(true);
        pump(300);

        // The same paint into a bitmap, for pixel checks that do not depend
        // on the screen.
        Surface s(504, 366);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
        ImageRecord* background = SkinManager::current()->getImage(u"mainbkg.png");
        EXPECT_EQ(s.rgb(250, 300) & 0xFFFFFF, background->bits()[300 * 504 + 250] & 0xFFFFFF)
            << "empty parts show the window background";
        EXPECT_NE(s.rgb(487, 11), background->bits()[11 * 504 + 487] & 0xFFFFFF) << "the close glyph";

        const std::wstring path = test::screenshotDir() + L"\\wizard-" + std::to_wstring(i + 1) + L"-" + names[i] + L".png";
        EXPECT_TRUE(test::saveWindowPng(hwnd, path)) << "screenshot " << i + 1;
        test::savePixelsPng(s.pixels(), 504, 366,
                            test::screenshotDir() + L"\\wizard-" + std::to_wstring(i + 1) + L"-" + names[i] + L"-print.png");
    }

    // The button states on the licence page: accept under the pointer,
    // cancel disabled.
    for (int32_t page : pages) window->childById(page)->setFlag(ControlFlag::Visible, page == 2000);
    Surface normal(504, 366);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(normal.dc()), PRF_CLIENT);
    window->childById(2002)->setFlag(ControlFlag::Enabled, false);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(430, 330));
    EXPECT_TRUE(window->childById(2003)->hasFlag(ControlFlag::Hovered));
    window->root()->invalidate(true);
    pump(300);
    Surface states(504, 366);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(states.dc()), PRF_CLIENT);
    EXPECT_NE(states.rgb(449, 333), normal.rgb(449, 333)) << "accept shows its hover frame";
    EXPECT_NE(states.rgb(30, 333), normal.rgb(30, 333)) << "cancel shows its disabled frame";
    EXPECT_EQ(states.rgb(250, 300), normal.rgb(250, 300));
    EXPECT_TRUE(test::saveWindowPng(hwnd, test::screenshotDir() + L"\\wizard-1-licence-states.png"));
}

// The wizard at 96, 120, 144 and 192 DPI: the window is its scaled size
// with its corners cut at that size, a pointer in device pixels reaches the
// control drawn there, every page is painted all over (photographed as
// wizard-dpi<dpi>-<page>.png) and no text runs out of its box.
TEST_F(WizardWindowTest, EveryPageAtEveryScaleFitsItsText) {
    const int32_t checkIconWidth = SkinManager::current()->getImage(u"check.png")->width();
    const wchar_t* names[] = {L"licence", L"folder", L"progress", L"finish"};
    std::string overflows;
    for (int32_t dpi : {96, 120, 144, 192}) {
        WindowImpl::setDpiOverride(dpi);
        WindowImpl* window = openWizard();
        ASSERT_TRUE(window);
        hwnd = window->handle();
        const DpiScale scale{dpi};
        EXPECT_EQ(window->dpiScale().dpi, dpi);
        RECT r;
        GetWindowRect(hwnd, &r);
        EXPECT_EQ(r.right - r.left, scale.toDevice(504)) << dpi;
        EXPECT_EQ(r.bottom - r.top, scale.toDevice(366)) << dpi;
        EXPECT_EQ(window->root()->bounds(), (Rect{0, 0, 504, 366})) << "layout stays in 96-DPI units";
        RECT box{};
        UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_EQ(GetWindowRgn(hwnd, region.get()), COMPLEXREGION);
        GetRgnBox(region.get(), &box);
        EXPECT_EQ(box.right, scale.toDevice(504)) << "the corners are cut at the window's size";
        SetWindowPos(hwnd, HWND_TOPMOST, 60, 60, 0, 0, SWP_NOSIZE);
        ShowWindow(hwnd, SW_SHOWNORMAL);

        for (size_t i = 0; i < 4; ++i) {
            showPage(*window, kPages[i]);
            window->root()->invalidate(true);
            pump(100);
            overflows += overflowingTexts(*window, *window->root(), checkIconWidth);
            const Size device = scale.toDevice(Size{504, 366});
            Surface s(device.cx, device.cy, 0xFF00FF);
            SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
            int unpainted = 0;
            for (int y = 0; y < device.cy; ++y)
                for (int x = 0; x < device.cx; ++x) unpainted += s.rgb(x, y) == 0xFF00FF;
            EXPECT_EQ(unpainted, 0) << "dpi " << dpi << ", page " << kPages[i];
            test::savePixelsPng(s.pixels(), device.cx, device.cy,
                                test::screenshotDir() + L"\\wizard-dpi" + std::to_wstring(dpi) + L"-" + names[i] + L".png");
        }

        // The folder box's caret, at the end of its text, meets the text's
        // last glyph: the glyphs stand where the caret arithmetic puts them.
        showPage(*window, 3000);
        Control* folderBox = window->childById(3001);
        window->setFocus(folderBox);
        SendMessageW(hwnd, WM_KEYDOWN, VK_END, 1);
        {
            const Rect caret = window->caretRect();
            Rect field;
            folderBox->windowRect(field);
            const Rect device = scale.toDevice(field);
            const Size size = scale.toDevice(Size{504, 366});
            Surface s(size.cx, size.cy);
            SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
            int lastInk = -1;  // the rightmost column of the dark text
            for (int x = device.left; x < device.right; ++x)
                for (int y = device.top + 2; y < device.bottom - 2; ++y)
                    if ((s.rgb(x, y) & 0xFF) < 110 && ((s.rgb(x, y) >> 8) & 0xFF) < 110) lastInk = x;
            const int caretX = scale.toDevice(caret.left);
            EXPECT_LE(lastInk, caretX + 1) << "dpi " << dpi;
            EXPECT_GE(lastInk, caretX - scale.toDevice(3)) << "dpi " << dpi;
        }
        window->setFocus(nullptr);

        // The pointer at the accept button's centre in device pixels hovers it.
        showPage(*window, 2000);
        Rect accept;
        window->childById(2003)->windowRect(accept);
        const Point centre{scale.toDevice((accept.left + accept.right) / 2), scale.toDevice((accept.top + accept.bottom) / 2)};
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
        EXPECT_TRUE(window->childById(2003)->hasFlag(ControlFlag::Hovered)) << dpi;
        DestroyWindow(hwnd);
        hwnd = nullptr;
        pump(20);
    }
    EXPECT_EQ(overflows, "");
}

// Moving to a monitor of another DPI: the window takes the system's
// rectangle, lays its text out for the new scale and paints at it; the
// pointer is read at the new scale.
TEST_F(WizardWindowTest, TakesTheNewScaleWhenMovedToAnotherMonitor) {
    WindowImpl::setDpiOverride(96);
    WindowImpl* window = openWizard();
    ASSERT_TRUE(window);
    hwnd = window->handle();
    showPage(*window, 2000);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    pump(50);

    RECT suggested{100, 80, 100 + 756, 80 + 549};
    SendMessageW(hwnd, WindowImpl::kDpiChangedMessage, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump(50);
    EXPECT_EQ(window->dpiScale().dpi, 144);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right - r.left, 756);
    EXPECT_EQ(r.bottom - r.top, 549);
    EXPECT_EQ(window->root()->bounds(), (Rect{0, 0, 504, 366}));
    const int32_t checkIconWidth = SkinManager::current()->getImage(u"check.png")->width();
    EXPECT_EQ(overflowingTexts(*window, *window->root(), checkIconWidth), "") << "measured again at the new scale";
    Surface s(756, 549, 0xFF00FF);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
    EXPECT_NE(s.rgb(755, 548), 0xFF00FFu) << "painted to the new size";
    Rect accept;
    window->childById(2003)->windowRect(accept);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(accept.left * 3 / 2 + 3, accept.top * 3 / 2 + 3));
    EXPECT_TRUE(window->childById(2003)->hasFlag(ControlFlag::Hovered));
}

} // namespace
} // namespace nelvo
