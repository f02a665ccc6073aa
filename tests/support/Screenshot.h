#pragma once
// Saves what a window shows on screen as a PNG, for people to look at after
// a test run.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nelvo::test {

// What a window showed on screen, taken now and written when convenient.
struct WindowPicture {
    RECT area{};
    std::vector<uint32_t> pixels;
    // False, and nothing kept, if the window or the screen cannot be read.
    bool take(HWND window);
    bool savePng(const std::wstring& path) const;
};

// Captures the window's rectangle from the screen. False if it cannot.
bool saveWindowPng(HWND window, const std::wstring& path);

// The whole screen, for a test that fails with nothing else to show.
bool saveScreenPng(const std::wstring& path);

// Copies a screen rectangle as 32-bit top-down BGRA pixels.
bool captureScreen(const RECT& area, std::vector<uint32_t>& pixels);

// Takes a picture of `area` (clipped to the screen) from inside a call that
// keeps this thread busy, such as a popup's loop or a page's slide, and
// saves it as out/screenshots/<name>.png. Under Wine a window's picture
// reaches the screen only when its thread waits: this waits once without
// taking a message. The pixels, rows as wide as the clipped area, go to
// `pixels` when given. False if the screen cannot be read.
bool photographBusyArea(RECT area, const std::wstring& name, std::vector<uint32_t>* pixels = nullptr);

// Saves a 32-bit top-down BGRA pixel block as a PNG.
bool savePixelsPng(const void* bgra, int width, int height, const std::wstring& path);

} // namespace nelvo::test
