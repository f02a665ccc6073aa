#pragma once
// Helpers for the drawing, skin and window tests under Windows: package
// bytes with stored members, PNG bytes from pixels, and 32-bit DIB surfaces
// to draw into and read back.

#include "dui/DibSection.h"
#include "host/HeapBlock.h"
#include "host/PackageFormat.h"
#include "host/UniqueHandle.h"

#include <stb/stb_image_write.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nelvo::test {

// A package whose members are all stored as is.
inline HeapBlock storedPackage(const std::vector<std::pair<std::u16string, std::string>>& members) {
    std::vector<uint8_t> out;
    std::vector<std::pair<uint32_t, uint32_t>> places;
    for (const auto& [name, content] : members) {
        places.emplace_back(static_cast<uint32_t>(out.size()), static_cast<uint32_t>(content.size()));
        out.insert(out.end(), content.begin(), content.end());
    }
    const uint32_t directory = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < members.size(); ++i) {
        std::vector<uint8_t> field;
        for (char16_t c : members[i].first) {
            field.push_back(uint8_t(c));
            field.push_back(uint8_t(c >> 8));
        }
        field.push_back(0);
        field.push_back(0);
        while (field.size() % 4) field.push_back(0);
        for (size_t k = 0; k < field.size(); k += 4)
            package::writeLe32(&field[k], package::readLe32(&field[k]) ^ package::kKey);
        uint8_t header[16];
        package::writeLe32(header, static_cast<uint32_t>(16 + field.size()));
        package::writeLe32(header + 4, places[i].first);
        package::writeLe32(header + 8, places[i].second);
        package::writeLe32(header + 12, 0);
        out.insert(out.end(), header, header + 16);
        out.insert(out.end(), field.begin(), field.end());
    }
    uint8_t trailer[8];
    package::writeLe32(trailer, 0);
    package::writeLe32(trailer + 4, directory ^ package::kKey);
    out.insert(out.end(), trailer, trailer + 8);
    HeapBlock block = HeapBlock::allocate(out.size());
    std::copy(out.begin(), out.end(), block.data());
    return block;
}

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

// A memory device context with a 32-bit top-down DIB section selected.
class Surface {
public:
    Surface(int width, int height, uint32_t fill = 0) : width_(width), height_(height) {
        dc_.reset(CreateCompatibleDC(nullptr));
        bitmap_ = createDibSection32(width, height, &pixels_);
        old_ = SelectObject(dc_.get(), bitmap_.get());
        SetBkMode(dc_.get(), TRANSPARENT);
        clear(fill);
    }
    ~Surface() { SelectObject(dc_.get(), old_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return dc_.get(); }
    bool valid() const { return pixels_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    const uint32_t* pixels() const { return pixels_; }
    void clear(uint32_t value) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) pixels_[i] = value;
    }
    // 0xAARRGGBB as stored.
    uint32_t at(int x, int y) const {
        GdiFlush();
        return pixels_[y * width_ + x];
    }
    uint32_t rgb(int x, int y) const { return at(x, y) & 0xFFFFFF; }

private:
    int width_, height_;
    UniqueDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

} // namespace nelvo::test
