#pragma once
// The keywords that keyword-valued attributes accept. A keyword attribute
// stores the identity of its interned keyword: its position in the keyword
// list, starting at 1, so that the value is the same on every build and fits
// the 32-bit integer property. 0 means "no keyword" (the text matched none).

#include <cstdint>
#include <string_view>

namespace nelvo {

enum class Keyword : int32_t {
    None = 0,
    Left,
    Right,
    Top,
    Bottom,
    Center,
    Stretch,
    Horizontal,
    Vertical,
    True,
    False,
    Auto,
    Always,
    Never,
};

// Exact, case-sensitive match against "left", "right", "top", "bottom",
// "center", "stretch", "horizontal", "vertical", "true", "false", "auto",
// "always", "never"; None for anything else.
Keyword keywordFromText(std::u16string_view text);

// The keyword's text; empty for None or an unknown value.
std::u16string_view keywordText(Keyword k);

} // namespace nelvo
