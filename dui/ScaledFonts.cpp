#include "dui/ScaledFonts.h"

#include "base/UniqueHandle.h"

#include <cstring>
#include <vector>

namespace nelvo {
namespace {

struct ScaledEntry {
    HFONT source;
    int32_t dpi;
    LOGFONTW description;  // the source's, to know a handle value used again
    UniqueFont font;
};

// A handful of fonts at a handful of scales: a list is enough.
std::vector<ScaledEntry>& entries() {
    static std::vector<ScaledEntry> list;
    return list;
}

LONG scaled(LONG value, DpiScale scale) { return value == 0 ? 0 : MulDiv(value, scale.dpi, DpiScale::kBaseDpi); }

} // namespace

HFONT scaledFont(HFONT font, DpiScale scale) {
    if (!font || scale.identity()) return font;
    LOGFONTW lf{};
    if (GetObjectW(font, sizeof lf, &lf) != sizeof lf) return nullptr;
    auto& list = entries();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->source != font || it->dpi != scale.dpi) continue;
        // The skin that made the source may have gone and its handle value
        // come back for another font.
        if (std::memcmp(&it->description, &lf, sizeof lf) == 0) return it->font.get();
        list.erase(it);
        break;
    }
    LOGFONTW at = lf;
    at.lfHeight = scaled(lf.lfHeight, scale);
    at.lfWidth = scaled(lf.lfWidth, scale);
    UniqueFont made(CreateFontIndirectW(&at));
    if (!made) return nullptr;
    HFONT result = made.get();
    try {
        list.push_back({font, scale.dpi, lf, std::move(made)});
    } catch (...) {
        return nullptr;  // `made` already went with the failed entry
    }
    return result;
}

} // namespace nelvo
