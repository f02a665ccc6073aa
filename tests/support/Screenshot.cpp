#include "tests/support/Screenshot.h"

#include "base/TextConvert.h"
#include "base/UniqueHandle.h"
#include "dui/DibSection.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace nelvo::test {

namespace {
void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}
} // namespace

bool savePixelsPng(const void* bgra, int width, int height, const std::wstring& path) {
    std::vector<unsigned char> rgba(size_t(width) * height * 4);
    const auto* src = static_cast<const unsigned char*>(bgra);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = src[i + 2];
        rgba[i + 1] = src[i + 1];
        rgba[i + 2] = src[i];
        rgba[i + 3] = 255;
    }
    std::vector<unsigned char> png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 4, rgba.data(), width * 4)) return false;
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), png.data(), DWORD(png.size()), &written, nullptr) && written == png.size();
}

bool captureScreen(const RECT& area, std::vector<uint32_t>& pixels) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    WindowDc screen(nullptr);
    UniqueDc mem(CreateCompatibleDC(screen.get()));
    uint32_t* bits = nullptr;
    UniqueBitmap dib = createDibSection32(w, h, &bits);
    if (!mem || !dib) return false;
    {
        SelectGuard select(mem.get(), dib.get());
        if (!BitBlt(mem.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY)) return false;
    }
    GdiFlush();
    pixels.assign(bits, bits + size_t(w) * h);
    return true;
}

bool WindowPicture::take(HWND window) {
    pixels.clear();
    return GetWindowRect(window, &area) && captureScreen(area, pixels);
}

bool WindowPicture::savePng(const std::wstring& path) const {
    return !pixels.empty() && savePixelsPng(pixels.data(), area.right - area.left, area.bottom - area.top, path);
}

bool saveWindowPng(HWND window, const std::wstring& path) {
    WindowPicture picture;
    return picture.take(window) && picture.savePng(path);
}

bool photographBusyArea(RECT area, const std::wstring& name, std::vector<uint32_t>* pixels) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!IntersectRect(&area, &area, &screen)) return false;
    std::vector<uint32_t> own;
    std::vector<uint32_t>& out = pixels ? *pixels : own;
    if (!captureScreen(area, out)) return false;
    CreateDirectoryW(screenshotDir().c_str(), nullptr);
    const std::wstring path = screenshotDir() + L"\\" + name + L".png";
    savePixelsPng(out.data(), area.right - area.left, area.bottom - area.top, path);
    return true;
}

bool saveScreenPng(const std::wstring& path) {
    const RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    std::vector<uint32_t> pixels;
    return captureScreen(r, pixels) && savePixelsPng(pixels.data(), r.right, r.bottom, path);
}

} // namespace nelvo::test
