// libFuzzer target: the UTF-8 / UTF-16 conversions. The input is read both
// as UTF-8 bytes and as UTF-16 units.
//   - Strict decoding: valid text survives the round trip unchanged; invalid
//     text gives the empty text and says so.
//   - Lenient decoding never fails, never yields more units than the text
//     has bytes, and agrees with the strict decoder on valid text.
//   - Encoding always gives valid UTF-8, which decodes to the same units
//     with every unpaired surrogate as U+FFFD.

#include "base/TextConvert.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The units with every unpaired surrogate replaced by U+FFFD.
std::u16string pairedOnly(std::u16string_view units) {
    std::u16string out(units);
    for (size_t i = 0; i < out.size(); ++i) {
        if (isHigh(out[i]) && i + 1 < out.size() && isLow(out[i + 1])) {
            ++i;
        } else if (isHigh(out[i]) || isLow(out[i])) {
            out[i] = u'\xFFFD';
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    bool ok = false;
    const std::u16string strict = nelvo::utf8ToUtf16(bytes, &ok);
    check(ok == nelvo::isValidUtf8(bytes));
    check(nelvo::utf8ToUtf16(bytes) == strict);
    if (ok) {
        check(strict.size() <= bytes.size());
        check(nelvo::utf16ToUtf8(strict) == bytes);
    } else {
        check(strict.empty());
    }

    const std::u16string lenient = nelvo::utf8ToUtf16Lenient(bytes);
    check(lenient.size() <= bytes.size());
    if (ok) check(lenient == strict);
    else check(lenient.find(u'\xFFFD') != std::u16string::npos);
    check(nelvo::isValidUtf8(nelvo::utf16ToUtf8(lenient)));

    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const std::string encoded = nelvo::utf16ToUtf8(units);
    check(nelvo::isValidUtf8(encoded));
    check(encoded.size() <= units.size() * 3);
    check(nelvo::utf8ToUtf16(encoded) == pairedOnly(units));
    return 0;
}
