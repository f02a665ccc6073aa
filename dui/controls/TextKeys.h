#pragma once
// What the two text controls (the text box and the editor) share about
// keyboard input and selection: the virtual-key codes they act on, the
// Ctrl test and the selection colour.

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nelvo::textkeys {

constexpr int32_t kBackspace = 8, kTab = 9, kEnter = 13, kEscape = 27, kPageUp = 33, kPageDown = 34, kEnd = 35, kHome = 36,
                  kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46;
constexpr int32_t kKeyA = 65, kKeyC = 67, kKeyV = 86, kKeyX = 88;

// The selection background: red 52, green 192, blue 248, as a Windows colour.
constexpr uint32_t kSelectionColour = 0xF8C034;

// Whether Ctrl is held while the key message is handled.
inline bool controlKeyDown() {
#ifdef _WIN32
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
#else
    return false;
#endif
}

// Whether Shift is held: the caret moves and the anchor stays.
inline bool shiftKeyDown() {
#ifdef _WIN32
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
#else
    return false;
#endif
}

// The keys the window uses to move the focus and press its buttons; the
// text controls leave them unhandled.
inline bool isDialogKey(int32_t key) { return key == kTab || key == kEnter || key == kEscape; }

} // namespace nelvo::textkeys
