#include "host/TextConvert.h"

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

// Error texts are cut by the interpreter at a byte count, which can split a
// character; what is shown must keep the rest of the message.
TEST(TextConvert, LenientDecodingKeepsTheTextAroundBrokenSequences) {
    const std::string chinese = "\xE5\xAE\x89\xE8\xA3\x85";  // 安装
    EXPECT_EQ(utf8ToUtf16Lenient(chinese + "\xE5\xAE: x"), u"安装\uFFFD: x");
    EXPECT_EQ(utf8ToUtf16Lenient("a\xC0\x80" "b\x80\x80"), u"a\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(utf8ToUtf16Lenient("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(utf8ToUtf16Lenient(chinese), utf8ToUtf16(chinese));
}
