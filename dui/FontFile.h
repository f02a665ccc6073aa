#pragma once
// The font file of the skin package ("font.xml"): a root element with one
// `Font` element per font. Reading it needs no operating system; the skin
// manager turns each record into a font handle.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

// What one `Font` element asks for. An absent attribute leaves the system
// GUI font's value in place; when an attribute is repeated, the last wins.
struct FontEntry {
    std::u16string name;                  // `name`; empty when absent
    std::optional<std::u16string> face;   // `face`, cut to kMaxFaceLength units
    std::optional<int32_t> height;        // minus `size` read like wtol
    std::optional<bool> bold;             // `bold` is exactly "true"
    std::optional<bool> underline;        // `underline` is exactly "true"

    // A face name holds at most this many units (the font record's limit
    // without its terminator).
    static constexpr size_t kMaxFaceLength = 31;
};

// The fonts of a font file in document order: the `Font` children of its
// first element; other children are skipped. Empty when the text does not
// parse or has no root element. Never throws: when memory runs out, the
// fonts read so far are returned.
std::vector<FontEntry> readFontFile(std::string_view utf8);

} // namespace nelvo
