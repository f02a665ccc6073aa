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

} // namespace nelvo
