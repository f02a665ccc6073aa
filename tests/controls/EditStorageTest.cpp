// The editor's block storage and line layout, without a window: block sizes
// after replacing, inserting and deleting, and the visual lines after
// wrapping, line breaks and incremental changes (checked against a full
// layout of the same text).

#include "dui/controls/EditBlocks.h"
#include "dui/controls/EditLayout.h"
#include "tests/controls/FixedWidths.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace nelvo {
namespace {

std::vector<int32_t> blockSizes(const EditBlocks& b) {
    std::vector<int32_t> out;
    for (size_t k = 0; k < b.blockCount(); ++k) out.push_back(b.blockSize(k));
    return out;
}

TEST(EditBlocks, ReplacingCutsIntoBlocksOf1500) {
    EditBlocks b;
    EXPECT_EQ(b.blockCount(), 1u);
    EXPECT_EQ(b.length(), 0);
    b.assign(std::u16string(1501, u'x'));
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{1500, 1}));
    EXPECT_EQ(b.blockFirst(1), 1500);
    b.assign(std::u16string(3000, u'y'));
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{1500, 1500}));
    b.assign(u"");
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{0}));
}

TEST(EditBlocks, InsertionFillsABlockTo2000ThenSplits) {
    EditBlocks b;
    b.assign(std::u16string(1500, u'a'));
    b.insert(5, std::u16string(499, u'-'));
    b.insert(5, u"b");
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{2000})) << "a block may reach exactly 2000";
    b.insert(2000, u"c");
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{1001, 1000})) << "2001 units: two blocks, the first with the remainder";
    EXPECT_EQ(b.length(), 2001);
    EXPECT_EQ(b.at(5), u'b');
    EXPECT_EQ(b.at(2000), u'c');
    EXPECT_EQ(b.blockFirst(1), 1001);

    // A big paste is cut so that no block exceeds the maximum.
    b.insert(1000, std::u16string(10000, u'p'));
    EXPECT_EQ(b.length(), 12001);
    for (size_t k = 0; k < b.blockCount(); ++k) EXPECT_LE(b.blockSize(k), EditBlocks::kMaxBlock);
    EXPECT_EQ(b.at(999), u'a') << "after the 499 dashes";
    EXPECT_EQ(b.at(1000), u'p');
    EXPECT_EQ(b.at(10999), u'p');
    EXPECT_EQ(b.at(11000), u'a');
}

TEST(EditBlocks, DeletionDropsEmptiedBlocksAndMerges) {
    EditBlocks b;
    b.assign(std::u16string(1500, u'a') + std::u16string(1500, u'b') + std::u16string(200, u'c'));
    ASSERT_EQ(blockSizes(b), (std::vector<int32_t>{1500, 1500, 200}));
    b.erase(1500, 3000);  // exactly the middle block
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{1500, 200}));
    b.erase(100, 1500);  // the first shrinks to 100 and merges with its follower
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{300}));
    EXPECT_EQ(b.text(), std::u16string(100, u'a') + std::u16string(200, u'c'));
    b.erase(-5, 1000);
    EXPECT_EQ(blockSizes(b), (std::vector<int32_t>{0})) << "an empty text keeps one empty block";
    b.erase(0, 0);
    b.insert(99, u"z");
    EXPECT_EQ(b.text(), u"z");
}

TEST(EditBlocks, RandomEditsMatchAPlainString) {
    std::mt19937 rng(7);
    EditBlocks b;
    std::u16string model;
    for (int step = 0; step < 400; ++step) {
        const int32_t len = static_cast<int32_t>(model.size());
        if (rng() % 3 != 0 || len == 0) {
            const int32_t at = static_cast<int32_t>(rng() % (len + 1));
            std::u16string piece(rng() % 900 + 1, static_cast<char16_t>(u'a' + step % 26));
            b.insert(at, piece);
            model.insert(static_cast<size_t>(at), piece);
        } else {
            const int32_t from = static_cast<int32_t>(rng() % len);
            const int32_t to = from + static_cast<int32_t>(rng() % (len - from + 1));
            b.erase(from, to);
            model.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
        }
        ASSERT_EQ(b.length(), static_cast<int32_t>(model.size()));
        ASSERT_EQ(b.text(), model) << "step " << step;
        for (size_t k = 0; k < b.blockCount(); ++k) ASSERT_LE(b.blockSize(k), EditBlocks::kMaxBlock);
    }
}

struct LineView {
    int32_t start, end, kind;
    friend bool operator==(const LineView&, const LineView&) = default;
};

std::vector<LineView> lines(const EditLayout& l) {
    std::vector<LineView> out;
    for (int32_t k = 0; k < l.count(); ++k) out.push_back({l.line(k).start, l.line(k).end, l.line(k).breakKind});
    return out;
}

std::ostream& operator<<(std::ostream& os, const LineView& v) {
    return os << "{" << v.start << "," << v.end << "," << v.kind << "}";
}

TEST(EditLayout, BreaksAtLfCrLfAndWidth) {
    test::FixedWidths w(10);
    EditBlocks text;
    EditLayout layout;
    text.assign(u"abc\r\nde\nfghijk");
    layout.layoutAll(text, w, 40);  // four units per line
    EXPECT_EQ(lines(layout), (std::vector<LineView>{{0, 4, 2}, {5, 7, 1}, {8, 11, 0}, {12, 13, 0}}));
    EXPECT_EQ(layout.line(0).contentEnd(), 3);
    EXPECT_EQ(layout.line(1).contentEnd(), 7);
    EXPECT_EQ(layout.line(2).contentEnd(), 12);

    text.assign(u"ab\r\n");
    layout.layoutAll(text, w, 40);
    EXPECT_EQ(lines(layout), (std::vector<LineView>{{0, 3, 2}, {4, 3, 0}})) << "an empty last line after a break";
    text.assign(u"");
    layout.layoutAll(text, w, 40);
    EXPECT_EQ(lines(layout), (std::vector<LineView>{{0, -1, 0}}));
    EXPECT_EQ(layout.lineOf(0), 0);

    // A CR without LF breaks like an LF, and never runs past the text.
    text.assign(u"a\rb\r");
    layout.layoutAll(text, w, 40);
    EXPECT_EQ(lines(layout), (std::vector<LineView>{{0, 1, 1}, {2, 3, 1}, {4, 3, 0}}));
}

TEST(EditLayout, NarrowerThanOneCharacterStillPlacesOneUnitPerLine) {
    test::FixedWidths w(10);
    EditBlocks text;
    EditLayout layout;
    text.assign(u"abc");
    layout.layoutAll(text, w, -6);
    EXPECT_EQ(lines(layout), (std::vector<LineView>{{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}));
    layout.layoutAll(text, w, 0);
    EXPECT_EQ(layout.count(), 3);
}

TEST(EditLayout, TabIsMeasuredAsOneUnitOfItsOwnWidth) {
    test::FixedWidths w(10);
    w.set(u'\t', 3);
    EditBlocks text;
    EditLayout layout;
    text.assign(u"a\t\t\tb");
    layout.layoutAll(text, w, 20);
    // a(10) + tab(3) + tab(3) + tab(3) = 19 fits; b wraps.
    EXPECT_EQ(lines(layout), (std::vector<LineView>{{0, 3, 0}, {4, 4, 0}}));
}

TEST(EditLayout, IncrementalChangesMatchAFullLayout) {
    test::FixedWidths w(7);
    w.set(u'i', 3);
    std::mt19937 rng(11);
    const std::u16string alphabet = u"abcdefghij i\n\r\n";
    EditBlocks text;
    EditLayout layout;
    text.assign(u"first line\r\nsecond line that wraps around\nthird");
    layout.layoutAll(text, w, 60);
    for (int step = 0; step < 600; ++step) {
        const int32_t len = text.length();
        if (rng() % 2 == 0 || len == 0) {
            const int32_t at = static_cast<int32_t>(rng() % (len + 1));
            std::u16string piece;
            for (uint32_t n = rng() % 12 + 1; n > 0; --n) piece += alphabet[rng() % alphabet.size()];
            text.insert(at, piece);
            layout.update(text, w, 60, at, static_cast<int32_t>(piece.size()), 0);
        } else {
            const int32_t from = static_cast<int32_t>(rng() % len);
            const int32_t to = std::min(len, from + static_cast<int32_t>(rng() % 15) + 1);
            text.erase(from, to);
            layout.update(text, w, 60, from, 0, to - from);
        }
        EditLayout full;
        full.layoutAll(text, w, 60);
        ASSERT_EQ(lines(layout), lines(full)) << "step " << step;
    }
}

} // namespace
} // namespace nelvo
