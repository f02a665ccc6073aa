// The multi-line editor in a real window: storage through setText and
// typing, CR LF stepping, read-only mode, scrolling limits, the wheel, and
// TAB drawn as four spaces.

#include "dui/controls/Edit.h"
#include "tests/support/FrameworkTest.h"
#include "tests/support/MarkupWindow.h"

namespace nelvo::test {
namespace {

std::string editWindow(const std::string& editAttributes, int height = 150) {
    return R"(<Window initSize="320,)" + std::to_string(height + 20) + R"(" style="background.xml"><Canvas>
      <Edit id="1" x="10" y="10" width="300" height=")" + std::to_string(height) + "\" " + editAttributes + R"(/>
      <TextBox id="2" x="10" y="0" width="10" height="5"/>
    </Canvas></Window>)";
}

std::u16string numberedLines(int n) {
    std::u16string text;
    for (int i = 1; i <= n; ++i) {
        for (char c : "Line " + std::to_string(i)) text.push_back(static_cast<char16_t>(c));
        if (i < n) text += u"\r\n";
    }
    return text;
}

class EditWindowTest : public ControlTest {};

TEST_F(EditWindowTest, StorageBlocksThroughSetTextAndTyping) {
    MarkupWindow w(editWindow(""));
    auto* edit = w.child<Edit>(1);
    edit->setText(std::u16string(1501, u'a'));
    EXPECT_EQ(edit->blocks().blockCount(), 2u);
    EXPECT_EQ(edit->getText().size(), 1501u);
    edit->setText(std::u16string(1500, u'a'));
    w.click(*edit);
    w.ctrlKey('A');
    w.key(VK_LEFT);
    w.type(std::u16string(500, u'b'));
    EXPECT_EQ(edit->blocks().blockCount(), 1u) << "a block may grow to 2000";
    w.type(u"c");
    ASSERT_EQ(edit->blocks().blockCount(), 2u);
    EXPECT_EQ(edit->blocks().blockSize(0), 1001);
    EXPECT_EQ(edit->blocks().blockSize(1), 1000);
}

TEST_F(EditWindowTest, EnterInsertsCrLfAndLeftAndBackspaceStepOverIt) {
    MarkupWindow w(editWindow(""));
    auto* edit = w.child<Edit>(1);
    w.click(*edit);
    w.type(u"ab\rcd");
    EXPECT_EQ(edit->getText(), u"ab\r\ncd");
    EXPECT_EQ(edit->layout().count(), 2);
    w.key(VK_LEFT);
    w.key(VK_LEFT);
    EXPECT_EQ(edit->caret(), 4);
    w.key(VK_LEFT);
    EXPECT_EQ(edit->caret(), 2) << "the pair is one position";
    w.key(VK_RIGHT);
    EXPECT_EQ(edit->caret(), 4);
    w.key(VK_BACK);
    EXPECT_EQ(edit->getText(), u"abcd");
    EXPECT_EQ(edit->caret(), 2);
    w.key(VK_DELETE);
    EXPECT_EQ(edit->getText(), u"abcd") << "Delete does nothing";
    w.key(VK_DOWN);
    w.key(VK_END);
    EXPECT_EQ(edit->caret(), 4);
    w.key(VK_HOME);
    EXPECT_EQ(edit->caret(), 0);
}

TEST_F(EditWindowTest, ClipboardKeysKeepLineBreaks) {
    MarkupWindow w(editWindow(""));
    auto* edit = w.child<Edit>(1);
    edit->setText(u"one\r\ntwo");
    w.click(*edit);
    w.ctrlKey('A');
    // The clipboard is held open elsewhere: the cut copies nothing and keeps the text.
    ASSERT_TRUE(OpenClipboard(nullptr));
    w.ctrlKey('X');
    CloseClipboard();
    EXPECT_EQ(edit->getText(), u"one\r\ntwo");
    w.ctrlKey('X');
    EXPECT_EQ(edit->getText(), u"");
    w.ctrlKey('V');
    w.ctrlKey('V');
    EXPECT_EQ(edit->getText(), u"one\r\ntwoone\r\ntwo") << "pasted unchanged, line breaks kept";
    EXPECT_EQ(edit->caret(), 16);
    EXPECT_EQ(edit->layout().count(), 3);
}

TEST_F(EditWindowTest, ReadOnlyRefusesEditsButSelectsAndScrolls) {
    MarkupWindow w(editWindow(R"(texteditable="0" textspace="6" textpadding="5,5")"));
    auto* edit = w.child<Edit>(1);
    const std::u16string text = numberedLines(40);
    edit->setText(text);
    w.click(*edit);
    w.type(u"xyz\r");
    w.key(VK_BACK);
    ASSERT_TRUE(OpenClipboard(w.hwnd()));
    EmptyClipboard();
    CloseClipboard();
    w.ctrlKey('A');
    EXPECT_EQ(edit->anchor(), 0);
    EXPECT_EQ(edit->caret(), static_cast<int32_t>(text.size())) << "Ctrl+A selects all";
    w.ctrlKey('C');
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "read-only text is copied";
    w.ctrlKey('X');
    w.ctrlKey('V');
    EXPECT_EQ(edit->getText(), text);
    w.wheel(-120, *edit);
    EXPECT_GT(edit->firstVisibleLine(), 0) << "scrolls with the wheel";
    w.screenshot(L"controls-edit-selection");
}

TEST_F(EditWindowTest, ReadOnlyScrollStopsAtTheLastPage) {
    // Line height = font height + 6 spacing; the height gives eight lines.
    MarkupWindow probe(editWindow(R"(texteditable="0" textspace="6" textpadding="5,5")"));
    const int32_t lh = probe.child<Edit>(1)->lineHeight();
    MarkupWindow w(editWindow(R"(texteditable="0" textspace="6" textpadding="5,5")", 8 * lh + 10 + lh / 2));
    auto* edit = w.child<Edit>(1);
    edit->setText(numberedLines(20));
    ASSERT_EQ(edit->layout().count(), 20);
    ASSERT_EQ(edit->visibleLineCount(), 8);
    w.click(*edit);
    for (int i = 0; i < 5; ++i) w.wheel(-120, *edit);
    EXPECT_EQ(edit->firstVisibleLine(), 12) << "20 lines, 8 visible";
    w.key(VK_NEXT);
    EXPECT_EQ(edit->firstVisibleLine(), 12);
    w.key(VK_HOME);
    EXPECT_EQ(edit->firstVisibleLine(), 0);
    w.key(VK_END);
    EXPECT_EQ(edit->firstVisibleLine(), 12);
    w.screenshot(L"controls-edit-scrolled");
}

TEST_F(EditWindowTest, WheelScrollsOnlyWithTheFocus) {
    MarkupWindow w(editWindow(""));
    auto* edit = w.child<Edit>(1);
    edit->setText(numberedLines(60));
    w.wheel(-120, *edit);
    EXPECT_EQ(edit->firstVisibleLine(), 0);
    w.click(*edit);
    w.wheel(-120, *edit);
    EXPECT_EQ(edit->firstVisibleLine(), 3) << "one notch is three lines";
    w.wheel(240, *edit);
    EXPECT_EQ(edit->firstVisibleLine(), 0);
}

TEST_F(EditWindowTest, TabIsDrawnAsFourSpaces) {
    MarkupWindow w(editWindow(R"(textpadding="0,0")", 60));
    auto* edit = w.child<Edit>(1);
    Surface s(320, 80);
    auto firstInk = [&] {
        w.render(s);
        for (int x = 10; x < 310; ++x)
            for (int y = 10; y < 70; ++y)
                if (s.rgb(x, y) < 0x808080) return x;
        return -1;
    };
    edit->setText(u"    X");
    const int spaces = firstInk();
    edit->setText(u"\tX");
    EXPECT_EQ(firstInk(), spaces);
    ASSERT_GT(spaces, 10);
}

TEST_F(EditWindowTest, NarrowerThanOneCharacterStillShowsEveryUnit) {
    MarkupWindow w(R"(<Window initSize="40,60"><Canvas>
      <Edit id="1" x="0" y="0" width="12" height="60" textpadding="5,0"/></Canvas></Window>)");
    auto* edit = w.child<Edit>(1);
    edit->setText(u"WWW");
    EXPECT_EQ(edit->layout().count(), 3);
    EXPECT_EQ(edit->getText(), u"WWW");
}

} // namespace
} // namespace nelvo::test
