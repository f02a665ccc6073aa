// The wizard's four pages with the shipped skin and markup, read from the
// resources of the real setup.exe, in a real window: each page shown the
// way the wizard script shows it, checked for the pieces that must be
// there, and saved as a screenshot.

#include "dui/controls/Edit.h"
#include "dui/controls/ProgressBar.h"
#include "dui/controls/TextBox.h"
#include "store/ResourceFileSystem.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"

namespace nelvo::test {
namespace {

class WizardPagesTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // The test runs in out/tests; setup.exe lies beside that folder.
        HMODULE exe = LoadLibraryExW(L"..\\setup.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(exe) << "cannot open ..\\setup.exe";
        ResourceFileSystem fs(exe);
        registerSetupResources(fs);
        HeapBlock layout = fs.load(u"frame.lz");
        HeapBlock skin = fs.load(u"style.lz");
        FreeLibrary(exe);
        ASSERT_TRUE(UiContext::current()->layouts().load(std::move(layout)));
        ASSERT_TRUE(SkinManager::current()->loadSkinBytes(std::move(skin)));
        std::string error;
        window_ = WindowImpl::create(u"mainframe.xml", WS_POPUP, 0, &error);
        ASSERT_TRUE(window_) << error;
        SetWindowPos(window_->nativeHandle(), nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(window_->nativeHandle(), SW_SHOWNORMAL);
        pump();
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_->nativeHandle());
        pump();
    }

    void showPage(int32_t page) {
        for (int32_t id = 2000; id <= 5000; id += 1000) {
            Control* p = window_->childById(id);
            ASSERT_TRUE(p);
            p->setFlag(ControlFlag::Visible, id == page);
        }
        window_->root()->invalidate(false);
        pump();
    }

    void save(Surface& s, const wchar_t* name) {
        window_->paintInto(s.dc());
        CreateDirectoryW(screenshotDir().c_str(), nullptr);
        savePixelsPng(s.pixels(), s.width(), s.height(), screenshotDir() + L"\\controls-wizard-" + name + L".png");
        saveWindowPng(window_->nativeHandle(), screenshotDir() + L"\\controls-wizard-" + name + L"-screen.png");
    }

    WindowImpl* window_ = nullptr;
};

std::u16string licenceText() {
    std::u16string text = u"最终用户许可协议\r\n\r\n";
    for (int i = 1; i <= 30; ++i) {
        text += u"第" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                u"条 本软件受著作权法保护。使用本软件即表示您同意本协议的全部条款。\tThis clause wraps when it is long enough.\r\n";
    }
    return text;
}

TEST_F(WizardPagesTest, LicencePage) {
    showPage(2000);
    auto* edit = static_cast<Edit*>(window_->childById(2001));
    ASSERT_TRUE(edit);
    edit->setText(licenceText());
    EXPECT_FALSE(edit->editable());
    EXPECT_GT(edit->layout().count(), edit->visibleLineCount()) << "the licence needs scrolling";
    // Scroll a little and select a few lines with the mouse, as a reader would.
    Rect r;
    edit->windowRect(r);
    SendMessageW(window_->nativeHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 40, r.top + 30));
    SendMessageW(window_->nativeHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.left + 200, r.top + 80));
    SendMessageW(window_->nativeHandle(), WM_LBUTTONUP, 0, MAKELPARAM(r.left + 200, r.top + 80));
    POINT over{r.left + 100, r.top + 100};
    ClientToScreen(window_->nativeHandle(), &over);
    SetCursorPos(over.x, over.y);
    SendMessageW(window_->nativeHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(over.x, over.y));
    pump();
    EXPECT_EQ(edit->firstVisibleLine(), 3) << "one notch of the wheel";
    Surface s(504, 366);
    save(s, L"licence");
    EXPECT_NE(edit->anchor(), edit->caret());
}

TEST_F(WizardPagesTest, FolderPage) {
    showPage(3000);
    auto* box = static_cast<TextBox*>(window_->childById(3001));
    ASSERT_TRUE(box);
    box->setText(u"C:\\Program Files (x86)\\Nelvo");
    Rect r;
    box->windowRect(r);
    SendMessageW(window_->nativeHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right - 12, r.top + 12));
    SendMessageW(window_->nativeHandle(), WM_LBUTTONUP, 0, MAKELPARAM(r.right - 12, r.top + 12));
    pump();
    EXPECT_EQ(window_->focusControl(), box);
    Surface s(504, 366);
    save(s, L"folder");
}

TEST_F(WizardPagesTest, ProgressPage) {
    showPage(4000);
    auto* bar = static_cast<ProgressBar*>(window_->childById(4001));
    ASSERT_TRUE(bar);
    bar->setRange(100);
    bar->setPosition(37);
    // As the wizard formats it: "%2d%%".
    window_->childById(4002)->setText(attr::text, u"37%");
    Surface s(504, 366);
    save(s, L"progress");
    Rect b;
    bar->windowRect(b);
    // The fill reaches 37 % of 410 pixels: 151.
    EXPECT_NE(s.rgb(b.left + 150, b.top + 5), s.rgb(b.left + 152, b.top + 5));
}

TEST_F(WizardPagesTest, FinishPage) {
    showPage(5000);
    auto* edit = static_cast<Edit*>(window_->childById(5001));
    ASSERT_TRUE(edit);
    Control* check = window_->childById(5002);
    Control* finish = window_->childById(5003);
    Rect e, c, b;
    edit->windowRect(e);
    check->windowRect(c);
    finish->windowRect(b);
    const POINT mid{(e.left + e.right) / 2, (e.top + e.bottom) / 2};
    auto snapshot = [&](Surface& s) { window_->paintInto(s.dc()); };
    Surface plain(504, 366), disabled(504, 366), shown(504, 366);
    snapshot(plain);

    // As the wizard shows it: disabled, so the box takes its disabled skin.
    edit->setFlag(ControlFlag::Enabled, false);
    snapshot(disabled);
    EXPECT_NE(plain.rgb(mid.x, mid.y), disabled.rgb(mid.x, mid.y)) << "the disabled skin";

    edit->setText(u"安装程序已经在您的电脑中安装了Nelvo。此应用程序可以通过选择安装的快捷方式运行。\r\n\r\n"
                  u"单击“完成”退出安装程序。");
    EXPECT_GE(edit->layout().count(), 3) << "two paragraphs and the empty one between them";
    check->setChecked(true);
    SendMessageW(window_->nativeHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(b.left + 5, b.top + 5));
    pump();
    EXPECT_TRUE(finish->hasFlag(ControlFlag::Hovered));
    save(shown, L"finish");

    int textPixels = 0;
    for (int y = e.top; y < e.bottom; ++y)
        for (int x = e.left; x < e.right; ++x) textPixels += disabled.rgb(x, y) != shown.rgb(x, y);
    EXPECT_GT(textPixels, 200) << "the text is drawn";
    // The check box's mark (left of its text) and the hovered button's skin.
    int checkPixels = 0;
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.left + 19; ++x) checkPixels += plain.rgb(x, y) != shown.rgb(x, y);
    EXPECT_GT(checkPixels, 10) << "the check mark";
    EXPECT_NE(plain.rgb(b.left + 3, b.top + 13), shown.rgb(b.left + 3, b.top + 13)) << "the hovered button";
}

} // namespace
} // namespace nelvo::test
