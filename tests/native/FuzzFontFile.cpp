// libFuzzer target: the font file. Every font comes from a `Font` element,
// so there are never more fonts than the text names; a face fits the font
// record, and a size never wraps.

#include "dui/FontFile.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto fonts = nelvo::readFontFile(text);
    size_t named = 0;
    for (size_t at = text.find("Font"); at != std::string_view::npos; at = text.find("Font", at + 1)) ++named;
    if (fonts.size() > named) __builtin_trap();
    for (const nelvo::FontEntry& f : fonts) {
        if (f.face && f.face->size() > nelvo::FontEntry::kMaxFaceLength) __builtin_trap();
        if (f.height && *f.height == INT32_MIN) __builtin_trap();
    }
    return 0;
}
