#include "base/TextConvert.h"

#include <cstdint>

namespace nelvo {

namespace {

// Decodes one code point starting at text[i]; returns its length in bytes,
// or 0 when the sequence is malformed.
size_t decodeOne(std::string_view text, size_t i, char32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2; cp = b0 & 0x1F; min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3; cp = b0 & 0x0F; min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4; cp = b0 & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i < len) return 0;
    for (size_t k = 1; k < len; ++k) {
        const uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// The length of the malformed sequence at text[i]: the lead byte and the
// continuation bytes that could still have belonged to a character with it.
// At least 1.
size_t malformedLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t b0 = byte(i);
    size_t follow;
    uint8_t lo = 0x80, hi = 0xBF;  // the range allowed for the next byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        follow = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        follow = 2;
        if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        follow = 3;
        if (b0 == 0xF0) lo = 0x90;  // no overlong forms
        if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 1;
    }
    size_t k = 1;
    while (k <= follow && i + k < text.size()) {
        const uint8_t b = byte(i + k);
        if (b < lo || b > hi) break;
        lo = 0x80;
        hi = 0xBF;
        ++k;
    }
    return k;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

} // namespace

bool isValidUtf8(std::string_view text) {
    char32_t cp;
    for (size_t i = 0; i < text.size();) {
        const size_t n = decodeOne(text, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::u16string utf8ToUtf16(std::string_view text, bool* ok) {
    std::u16string out;
    out.reserve(text.size());
    char32_t cp;
    for (size_t i = 0; i < text.size();) {
        const size_t n = decodeOne(text, i, cp);
        if (n == 0) {
            if (ok) *ok = false;
            return {};
        }
        i += n;
        appendCodePoint(out, cp);
    }
    if (ok) *ok = true;
    return out;
}

std::u16string utf8ToUtf16Lenient(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    char32_t cp;
    for (size_t i = 0; i < text.size();) {
        const size_t n = decodeOne(text, i, cp);
        if (n == 0) {
            out.push_back(u'\xFFFD');
            i += malformedLength(text, i);
        } else {
            appendCodePoint(out, cp);
            i += n;
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace nelvo
