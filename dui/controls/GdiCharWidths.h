#pragma once
// GdiCharWidths: character widths and font metrics measured with GDI in a
// private memory device context (GetCharWidth32W of each UTF-16 unit), with
// the widths cached per font. Windows build only; UI thread.

#ifdef _WIN32
#include "base/UniqueHandle.h"
#include "dui/controls/CharWidths.h"

#include <windows.h>

#include <array>
#include <unordered_map>

namespace nelvo {

class GdiCharWidths final : public CharWidths {
public:
    GdiCharWidths();
    GdiCharWidths(const GdiCharWidths&) = delete;
    GdiCharWidths& operator=(const GdiCharWidths&) = delete;
    ~GdiCharWidths();

    // Measures in `font` from now on (the system GUI font for null). The
    // font stays owned by the caller.
    void setFont(HFONT font);
    HFONT font() const { return font_; }

    int32_t width(char16_t unit) override;
    const TEXTMETRICW& metrics() const { return metrics_; }
    HDC dc() const { return dc_.get(); }

private:
    UniqueDc dc_;
    HGDIOBJ original_ = nullptr;
    HFONT font_ = nullptr;
    TEXTMETRICW metrics_{};
    std::array<int32_t, 128> ascii_{};  // -1: not measured yet
    std::unordered_map<char16_t, int32_t> others_;
};

} // namespace nelvo
#endif
