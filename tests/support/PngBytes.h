#pragma once
// PNG bytes made from pixels, for skins built by tests.

#include <stb/stb_image_write.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nelvo::test {

// PNG bytes of RGBA pixels (row by row, top-down).
inline std::string pngBytes(const std::vector<uint8_t>& rgba, int width, int height) {
    std::string png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
        },
        &png, width, height, 4, rgba.data(), width * 4);
    return png;
}

// An image of one colour.
inline std::string solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    return pngBytes(rgba, width, height);
}

} // namespace nelvo::test
