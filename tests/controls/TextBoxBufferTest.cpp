// The text box's editing model without a window: the 1999-unit limit,
// scrolling when text is removed or the caret moves, and hit testing by
// half characters.

#include "dui/controls/TextBoxBuffer.h"
#include "tests/controls/FixedWidths.h"

#include <gtest/gtest.h>

namespace nelvo {
namespace {

TEST(TextBoxBuffer, KeepsAtMost1999Units) {
    test::FixedWidths w;
    TextBoxBuffer b;
    EXPECT_TRUE(b.assign(std::u16string(2500, u'x')));
    EXPECT_EQ(b.length(), 1999);
    EXPECT_EQ(b.caret(), 1999);
    EXPECT_EQ(b.insert(5, u"y"), 0) << "a full box takes nothing more";
    b.erase(0, 4, w);
    EXPECT_EQ(b.replaceSelection(u"abcdef", w), 4) << "a paste stores only what fits";
    EXPECT_EQ(b.length(), 1999);
    EXPECT_EQ(b.caret(), 1999) << "the caret follows what was inserted";
    EXPECT_FALSE(b.assign(b.text())) << "the same text changes nothing";
}

TEST(TextBoxBuffer, ReplacingTheSelectionCollapsesBehindTheInsertion) {
    test::FixedWidths w;
    TextBoxBuffer b;
    b.assign(u"hello world");
    b.setAnchor(0);
    b.setCaret(5);
    EXPECT_EQ(b.selectedText(), u"hello");
    EXPECT_EQ(b.replaceSelection(u"bye", w), 3);
    EXPECT_EQ(b.text(), u"bye world");
    EXPECT_EQ(b.anchor(), 3);
    EXPECT_EQ(b.caret(), 3);
    b.setAnchor(9);
    b.setCaret(4);  // the selection may run backwards
    EXPECT_TRUE(b.deleteSelection(w));
    EXPECT_EQ(b.text(), u"bye ");
    EXPECT_EQ(b.caret(), 4);
    EXPECT_FALSE(b.deleteSelection(w));
}

TEST(TextBoxBuffer, ScrollFollowsTheCaretAndShrinksWithDeletions) {
    test::FixedWidths w(10);
    TextBoxBuffer b;
    b.assign(std::u16string(30, u'a'));  // 300 pixels
    EXPECT_EQ(b.ensureCaretVisible(100, w), 100);
    EXPECT_EQ(b.scroll(), 200);
    b.collapseTo(5);
    EXPECT_EQ(b.ensureCaretVisible(100, w), 0);
    EXPECT_EQ(b.scroll(), 50);
    b.erase(10, 30, w);  // 200 pixels gone: the scroll cannot go below 0
    EXPECT_EQ(b.scroll(), 0);
    b.collapseTo(10);
    b.ensureCaretVisible(60, w);
    EXPECT_EQ(b.scroll(), 40);
    b.erase(8, 10, w);
    EXPECT_EQ(b.scroll(), 20);
}

TEST(TextBoxBuffer, HitTestPicksTheNearerSideOfAUnit) {
    test::FixedWidths w(10);
    TextBoxBuffer b;
    b.assign(u"abcd");
    EXPECT_EQ(b.hitTest(-20, w), 0);
    EXPECT_EQ(b.hitTest(4, w), 0);
    EXPECT_EQ(b.hitTest(5, w), 1) << "half of the unit lies left of the point";
    EXPECT_EQ(b.hitTest(14, w), 1);
    EXPECT_EQ(b.hitTest(36, w), 4);
    EXPECT_EQ(b.hitTest(500, w), 4) << "past the end: the length";
    b.collapseTo(4);
    b.ensureCaretVisible(20, w);  // scroll 20
    EXPECT_EQ(b.hitTest(0, w), 2) << "the scroll counts";
    EXPECT_EQ(b.prefixWidth(3, w), 30);
}

} // namespace
} // namespace nelvo
