// The wizard window as start-up builds it: both packages read from the real
// setup.exe, the window made from "mainframe.xml", its four pages shown one
// at a time in a real window and photographed into out/screenshots.

#include "dui/controls/ProgressBar.h"
#include "dui/controls/ShippedControls.h"
#include "dui/Framework.h"
#include "dui/Markup.h"
#include "dui/Panel.h"
#include "dui/SkinManager.h"
#include "dui/UiContext.h"
#include "dui/WindowImpl.h"
#include "store/ResourceFileSystem.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Surface.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

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
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        pump(20);
        framework_.reset();
        setCurrentFileSystem(nullptr);
        store_.reset();
        if (exe_) FreeLibrary(exe_);
    }

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
    std::string error;
    ControlPtr root = loadLayout(u"mainframe.xml", &error);
    ASSERT_TRUE(root) << error;
    // What the wizard script fills in before and while it runs.
    findById(root.get(), 2001)->setText(attr::text,
        u"Nelvo 软件许可协议\r\n\r\n请您仔细阅读以下条款。安装、复制或以其他方式使用本软件，即表示您同意受本协议条款的约束。"
        u"\r\n\r\n1. 许可授予：在遵守本协议的前提下，您可以在一台计算机上安装和使用本软件。");
    findById(root.get(), 3001)->setText(attr::text, u"C:\\Program Files\\Nelvo");
    findById(root.get(), 5001)->setText(attr::text,
        u"安装程序已经在您的电脑中安装了Nelvo。此应用程序可以通过选择安装的快捷方式运行。\r\n\r\n单击“完成”退出安装程序。");
    findById(root.get(), 5001)->setFlag(ControlFlag::Enabled, false);
    findById(root.get(), 5002)->setFlag(ControlFlag::Checked, true);

    WindowImpl* window = WindowImpl::create(std::move(root), WS_POPUP, 0, &error);
    ASSERT_TRUE(window) << error;
    if (auto* progress = dynamic_cast<ProgressBar*>(window->childById(4001))) {
        progress->setRange(100);
        progress->setPosition(42);
        window->childById(4002)->setText(attr::text, u"42%");
        window->childById(4003)->setText(attr::text, u"正在解压缩文件:C:\\Program Files\\Nelvo\\Nelvo.exe");
    }
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

} // namespace
} // namespace nelvo
