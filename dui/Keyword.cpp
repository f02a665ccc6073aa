#include "dui/Keyword.h"

#include <array>

namespace nelvo {
namespace {

constexpr std::array<std::u16string_view, 13> kKeywords = {
    u"left", u"right", u"top", u"bottom", u"center", u"stretch", u"horizontal",
    u"vertical", u"true", u"false", u"auto", u"always", u"never",
};

} // namespace

Keyword keywordFromText(std::u16string_view text) {
    for (size_t i = 0; i < kKeywords.size(); ++i)
        if (kKeywords[i] == text) return static_cast<Keyword>(i + 1);
    return Keyword::None;
}

std::u16string_view keywordText(Keyword k) {
    const auto i = static_cast<int32_t>(k);
    if (i < 1 || i > static_cast<int32_t>(kKeywords.size())) return {};
    return kKeywords[static_cast<size_t>(i - 1)];
}

} // namespace nelvo
