#include "host/TextConvert.h"

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

namespace {

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

} // namespace

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
        appendUtf16(out, cp);
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
            // One replacement for the lead byte and the continuation bytes
            // that follow it (a character cut short shows as one mark); the
            // next byte may start a good sequence again.
            out.push_back(u'\uFFFD');
            const uint8_t lead = static_cast<uint8_t>(text[i]);
            const size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            size_t skip = 1;
            while (skip < expected && i + skip < text.size() &&
                   (static_cast<uint8_t>(text[i + skip]) & 0xC0) == 0x80)
                ++skip;
            i += skip;
            continue;
        }
        i += n;
        appendUtf16(out, cp);
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
