#include "dui/controls/GdiCharWidths.h"

#ifdef _WIN32
namespace nelvo {

GdiCharWidths::GdiCharWidths() : dc_(CreateCompatibleDC(nullptr)) { setFont(nullptr); }

GdiCharWidths::~GdiCharWidths() {
    // Leave the context as it came before it is deleted.
    if (dc_ && original_) SelectObject(dc_.get(), original_);
}

void GdiCharWidths::setFont(HFONT font) {
    font_ = font;
    ascii_.fill(-1);
    others_.clear();
    if (!dc_) return;
    HGDIOBJ chosen = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
    HGDIOBJ previous = SelectObject(dc_.get(), chosen);
    if (!original_) original_ = previous;
    if (!GetTextMetricsW(dc_.get(), &metrics_)) metrics_ = TEXTMETRICW{};
}

int32_t GdiCharWidths::width(char16_t unit) {
    if (unit < ascii_.size() && ascii_[unit] >= 0) return ascii_[unit];
    if (unit >= ascii_.size()) {
        auto it = others_.find(unit);
        if (it != others_.end()) return it->second;
    }
    INT w = 0;
    if (!dc_ || !GetCharWidth32W(dc_.get(), unit, unit, &w)) w = 0;
    if (unit < ascii_.size())
        ascii_[unit] = w;
    else
        others_.emplace(unit, w);
    return w;
}

} // namespace nelvo
#endif
