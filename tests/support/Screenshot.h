#pragma once
// Saves what a window shows on screen as a PNG, for people to look at after
// a test run.

#include <windows.h>

#include <string>

namespace nelvo::test {

// Captures the window's rectangle from the screen. False if it cannot.
bool saveWindowPng(HWND window, const std::wstring& path);

// Saves a 32-bit top-down BGRA pixel block as a PNG.
bool savePixelsPng(const void* bgra, int width, int height, const std::wstring& path);

} // namespace nelvo::test
