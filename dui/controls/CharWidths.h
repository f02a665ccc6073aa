#pragma once
// CharWidths: the advance width in pixels of one UTF-16 unit, as the text
// controls measure text for carets, hit tests and wrapping. The Windows
// build measures with GDI in a font (GdiCharWidths); tests may use any
// fixed table. UI thread only.

#include <cstdint>

namespace nelvo {

class CharWidths {
public:
    virtual int32_t width(char16_t unit) = 0;

protected:
    ~CharWidths() = default;
};

// Every unit the same width: what the native build measures with, having no
// fonts.
class FixedCharWidths final : public CharWidths {
public:
    explicit FixedCharWidths(int32_t width) : width_(width) {}
    int32_t width(char16_t) override { return width_; }

private:
    int32_t width_;
};

} // namespace nelvo
