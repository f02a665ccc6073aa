#include "base/TextConvert.h"

#include <gtest/gtest.h>

using nelvo::isValidUtf8;
using nelvo::utf16ToUtf8;
using nelvo::utf8ToUtf16;
using nelvo::utf8ToUtf16Lenient;

TEST(TextConvert, RoundTripsValidText) {
    for (const char* s : {"", "ascii", "检测到Quent安装", "emoji \xF0\x9F\x98\x80 end", "\xEF\xBF\xBF"}) {
        bool ok = false;
        const std::u16string u = utf8ToUtf16(s, &ok);
        EXPECT_TRUE(ok) << s;
        EXPECT_EQ(utf16ToUtf8(u), s);
    }
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));
}

TEST(TextConvert, InvalidUtf8BecomesEmpty) {
    const char* bad[] = {
        "\x80",              // lone continuation
        "ab\xC3",            // truncated
        "\xC0\xAF",          // overlong "/"
        "\xE0\x80\xAF",      // overlong
        "\xED\xA0\x80",      // encoded surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xFF",              //
        "ok\xE4\xB8",        // truncated CJK at the end
    };
    for (const char* s : bad) {
        bool ok = true;
        EXPECT_TRUE(utf8ToUtf16(s, &ok).empty()) << s;
        EXPECT_FALSE(ok);
        EXPECT_FALSE(isValidUtf8(s));
    }
}

TEST(TextConvert, UnpairedSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

// Text shown to the user keeps everything around a malformed sequence; each
// one (a cut character counts once) becomes one U+FFFD.
TEST(TextConvert, LenientDecodingReplacesOnlyTheMalformedPart) {
    const std::u16string r(1, char16_t(0xFFFD));
    EXPECT_EQ(utf8ToUtf16Lenient("检测到Quent"), utf8ToUtf16("检测到Quent"));
    EXPECT_EQ(utf8ToUtf16Lenient("ok\xE4\xB8"), u"ok" + r);
    EXPECT_EQ(utf8ToUtf16Lenient("[\xE4\xB8]:1: \xE6\xA3\x80"), u"[" + r + u"]:1: \u68C0");
    EXPECT_EQ(utf8ToUtf16Lenient("\xF0\x9F\x98"), r);
    EXPECT_EQ(utf8ToUtf16Lenient("a\x80\x80" "b"), u"a" + r + r + u"b");
    EXPECT_EQ(utf8ToUtf16Lenient("\xC0\xAF"), r + r);          // overlong: each byte
    EXPECT_EQ(utf8ToUtf16Lenient("\xED\xA0\x80x"), r + r + r + u"x");  // surrogate
    EXPECT_EQ(utf8ToUtf16Lenient("\xF4\x90\x80\x80"), r + r + r + r);
    EXPECT_EQ(utf8ToUtf16Lenient("\xE4\xB8" "a\xF0\x9F\x98\x80"), r + u"a\xD83D\xDE00");
}
