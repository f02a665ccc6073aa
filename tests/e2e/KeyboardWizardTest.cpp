// The setup wizard without a mouse: setup.exe started as a person starts it
// and driven by keys alone, message boxes included; on every page its
// accessible tree is read as a screen reader reads it (through the system's
// accessibility library, from this process) and the focus cue is
// photographed (out/screenshots/keys-*.png). What it installed is checked
// from outside, as for the mouse walk.

#include "base/TextConvert.h"
#include "tests/support/AccessibleTree.h"
#include "tests/support/InstalledProduct.h"
#include "tests/support/RealInput.h"
#include "tests/support/WizardDriver.h"
#include "tests/support/WizardScenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <objbase.h>
#include <oleacc.h>

#include <functional>

namespace nelvo::test {
namespace {

using ::testing::IsEmpty;

// The tree once `ready` holds for it; a fatal failure when it does not come.
AccessibleTree treeWhen(HWND window, DWORD timeoutMs, const std::function<bool(const AccessibleTree&)>& ready) {
    std::optional<AccessibleTree> tree;
    within(timeoutMs, [&] {
        tree = readAccessibleTree(window);
        return tree && ready(*tree);
    });
    if (!tree) {
        ADD_FAILURE() << "no accessible tree";
        return {};
    }
    EXPECT_TRUE(ready(*tree)) << tree->describe();
    return *tree;
}

// A picture of the wizard once what the last key changed is painted.
void shotAfterPaint(WizardSession& s, const std::wstring& what) {
    Sleep(300);
    s.shot(what);
}

bool hasChild(const AccessibleTree& t, const wchar_t* name) { return t.named(name) != nullptr; }

// The named child's role and whether each state bit in `on` is set and each
// in `off` is clear.
void expectChild(const AccessibleTree& t, const std::wstring& name, long role, long on, long off = 0) {
    const AccessibleNode* n = t.named(name);
    ASSERT_TRUE(n) << "no child named " << wideToUtf8(name) << "\n" << t.describe();
    EXPECT_EQ(n->role, role) << wideToUtf8(name);
    EXPECT_EQ(n->state & on, on) << wideToUtf8(name) << " state " << std::hex << n->state;
    EXPECT_EQ(n->state & off, 0) << wideToUtf8(name) << " state " << std::hex << n->state;
    EXPECT_LT(n->location.left, n->location.right) << wideToUtf8(name);
}

std::wstring focusedName(HWND window) {
    const std::optional<AccessibleTree> t = readAccessibleTree(window);
    if (!t) return L"?";
    for (const AccessibleNode& n : t->children)
        if (n.id == t->focus) return n.name;
    return L"";
}

// Waits for the next message box and answers it with a key; its text.
std::wstring answerWithKey(WizardSession& s, WORD key, const std::wstring& what) {
    const std::optional<WizardSession::Box> box = s.waitForMessageBox();
    if (!box) return L"";
    s.shot(what);
    pressKey(key);
    within(5000, [&] { return !IsWindow(box->window) || !IsWindowVisible(box->window); });
    Sleep(200);
    return box->seen.text;
}

class KeyboardWizard : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        CoUninitialize();
        WizardTest::TearDown();
    }
};

TEST_F(KeyboardWizard, InstallByKeysAloneReadAloudOnEveryPage) {
    const ReportedVersion windows7(L"win7");
    WizardSession s(*layout, L"keys-install");
    ASSERT_TRUE(s.start());
    const HWND w = s.window();

    // Licence page: the title bar's buttons are named, the licence is read
    // only text with its whole text as value, 接受协议 is the default.
    AccessibleTree t = treeWhen(w, 5000, [](const AccessibleTree& t) { return hasChild(t, L"许可协议"); });
    EXPECT_EQ(t.client.name, kWizardTitle);
    EXPECT_EQ(t.client.role, ROLE_SYSTEM_CLIENT);
    expectChild(t, L"最小化", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE);
    expectChild(t, L"关闭", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE);
    expectChild(t, L"许可协议", ROLE_SYSTEM_TEXT, STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE);
    EXPECT_THAT(t.named(L"许可协议")->value, ::testing::HasSubstr(L"Nelvo 最终用户许可协议"));
    expectChild(t, L"接受协议", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_DEFAULT, STATE_SYSTEM_FOCUSED);
    expectChild(t, L"请仔细阅读下列许可协议。您在继续安装前必须同意这些协议条款。", ROLE_SYSTEM_STATICTEXT, 0);
    EXPECT_EQ(t.named(L"接受协议")->action, L"按下");
    // Nothing of the hidden pages is shown to a reader.
    EXPECT_FALSE(hasChild(t, L"安装"));
    EXPECT_FALSE(hasChild(t, L"运行 Nelvo"));

    // Tab starts at the licence and goes through the page, then the title
    // bar, wrapping; Shift+Tab goes back.
    pressKey(VK_TAB);
    Sleep(200);
    EXPECT_EQ(focusedName(w), L"许可协议");
    pressKey(VK_NEXT);
    shotAfterPaint(s, L"licence-focus");
    pressKey(VK_TAB);
    pressKey(VK_TAB);
    Sleep(200);
    EXPECT_EQ(focusedName(w), L"接受协议");
    shotAfterPaint(s, L"accept-focus");
    pressKey(VK_TAB);
    pressKey(VK_TAB);
    pressKey(VK_TAB);
    Sleep(200);
    EXPECT_EQ(focusedName(w), L"许可协议") << "wrapped";
    pressKey(VK_TAB, VK_SHIFT);
    Sleep(200);
    EXPECT_EQ(focusedName(w), L"关闭");
    shotAfterPaint(s, L"close-focus");

    // Enter presses the default button from the licence text.
    pressKey(VK_TAB);
    pressKey(VK_RETURN);
    ASSERT_TRUE(s.waitUntilHidden(wizard::kLicenceText)) << "the licence page stayed";

    // Folder page: the box has the focus and the proposed folder as value.
    t = treeWhen(w, 5000, [](const AccessibleTree& t) { return hasChild(t, L"安装目录"); });
    expectChild(t, L"安装目录", ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSED, STATE_SYSTEM_READONLY);
    EXPECT_EQ(t.named(L"安装目录")->value, defaultInstallFolder());
    expectChild(t, L"浏览…", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE);
    expectChild(t, L"安装", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_DEFAULT);
    shotAfterPaint(s, L"folder-focus");

    // A path without a drive is refused; after the box the keys go to the
    // folder box again.
    pressKey('A', VK_CONTROL);
    ASSERT_TRUE(s.type(L"NelvoE2E"));
    pressKey(VK_RETURN);
    EXPECT_THAT(answerWithKey(s, VK_RETURN, L"refused-box"), ::testing::HasSubstr(L"你必须输入带驱动器卷标的完整路径"));
    EXPECT_EQ(focusedName(w), L"安装目录") << "the focus came back after the box";

    // Editing keys: Home, Delete, End, Shift+Left, Ctrl+X and Ctrl+V.
    const std::wstring dir = kScratch + L"Keys\\";
    pressKey(VK_HOME);
    ASSERT_TRUE(s.type(L"C:\\"));  // C:\NelvoE2E
    pressKey(VK_END);
    ASSERT_TRUE(s.type(L"\\Keyz"));
    pressKey(VK_LEFT);
    pressKey(VK_DELETE);
    ASSERT_TRUE(s.type(L"s\\"));  // C:\NelvoE2E\Keys\ .
    pressKey(VK_LEFT, VK_SHIFT);
    pressKey('X', VK_CONTROL);
    pressKey(VK_END);
    pressKey('V', VK_CONTROL);
    Sleep(200);
    t = treeWhen(w, 2000, [&](const AccessibleTree& t) { return hasChild(t, L"安装目录"); });
    ASSERT_EQ(t.named(L"安装目录")->value, dir);

    // Tab to the install button and Space presses it.
    pressKey(VK_TAB);
    pressKey(VK_TAB);
    pressKey(VK_TAB);
    Sleep(200);
    ASSERT_EQ(focusedName(w), L"安装");
    pressKey(VK_SPACE);

    // Progress page: the bar gives its percentage; the close button is
    // unavailable and Escape asks nothing.
    t = treeWhen(w, 20000, [](const AccessibleTree& t) { return hasChild(t, L"安装进度"); });
    expectChild(t, L"安装进度", ROLE_SYSTEM_PROGRESSBAR, 0);
    EXPECT_THAT(t.named(L"安装进度")->value, ::testing::EndsWith(L"%"));
    expectChild(t, L"关闭", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_UNAVAILABLE);
    shotAfterPaint(s, L"progress");
    pressKey(VK_ESCAPE);

    // Finish page: the check box has the focus; Space and the reader's
    // default action toggle it.
    t = treeWhen(w, 120000, [](const AccessibleTree& t) { return hasChild(t, L"运行 Nelvo"); });
    EXPECT_FALSE(s.waitForMessageBox(100)) << "Escape during the installation asked something";
    expectChild(t, L"运行 Nelvo", ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_CHECKED | STATE_SYSTEM_FOCUSED);
    expectChild(t, L"完成", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_DEFAULT);
    EXPECT_EQ(t.named(L"安装进度"), nullptr);
    const AccessibleNode* text = nullptr;
    for (const AccessibleNode& n : t.children)
        if (n.name.find(L"安装程序已经在您的电脑中安装了Nelvo") == 0) text = &n;
    ASSERT_TRUE(text) << t.describe();
    EXPECT_TRUE(text->state & STATE_SYSTEM_UNAVAILABLE);
    shotAfterPaint(s, L"finish-focus");
    const long box = t.named(L"运行 Nelvo")->id;
    pressKey(VK_SPACE);
    t = treeWhen(w, 2000, [](const AccessibleTree& t) {
        return hasChild(t, L"运行 Nelvo") && !(t.named(L"运行 Nelvo")->state & STATE_SYSTEM_CHECKED);
    });
    EXPECT_TRUE(doDefaultAction(w, box));
    t = treeWhen(w, 2000, [](const AccessibleTree& t) {
        return hasChild(t, L"运行 Nelvo") && (t.named(L"运行 Nelvo")->state & STATE_SYSTEM_CHECKED);
    });
    pressKey(VK_SPACE);
    Sleep(300);
    pressKey(VK_RETURN);
    ASSERT_TRUE(s.waitForExit(60000)) << "the setup program did not end after Enter";
    EXPECT_EQ(s.process().exitCode(), 0u);

    // Installed where the keys said, registered, and not started: the box
    // was left unchecked.
    EXPECT_THAT(compareWithPayload(setupProgram(), dir, movedMembers()), IsEmpty());
    EXPECT_EQ(savedInstallPath().text, dir);
    Sleep(1500);
    EXPECT_FALSE(processRunningFrom(dir + L"Nelvo.exe"));
}

TEST_F(KeyboardWizard, AltF4AndEscapeAskTheQuitQuestion) {
    WizardSession s(*layout, L"keys-cancel");
    ASSERT_TRUE(s.start());
    Sleep(300);
    // Alt+F4 asks; No keeps the wizard.
    pressKey(VK_F4, VK_MENU);
    EXPECT_THAT(answerWithKey(s, 'N', L"quit-question"), ::testing::HasSubstr(L"退出安装程序吗？"));
    EXPECT_TRUE(IsWindowVisible(s.window()));
    // On the folder page Escape asks again; Enter is Yes.
    pressKey(VK_RETURN);
    ASSERT_TRUE(s.waitUntilHidden(wizard::kLicenceText));
    pressKey(VK_ESCAPE);
    EXPECT_THAT(answerWithKey(s, VK_RETURN, L"quit-again"), ::testing::HasSubstr(L"退出安装程序吗？"));
    ASSERT_TRUE(s.waitForExit());
    EXPECT_EQ(s.process().exitCode(), kExitCancelled);
    expectNothingRegistered();
    EXPECT_FALSE(fileExists(defaultInstallFolder() + L"Nelvo.exe"));
}

} // namespace
} // namespace nelvo::test
