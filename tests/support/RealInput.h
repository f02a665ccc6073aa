#pragma once
// Mouse and keyboard input as a person gives it: through the system's input
// queue (SendInput), so that it reaches the window under the pointer or the
// one with the keyboard focus exactly as hardware input would, with the
// program's own message loop doing the rest.

#include <windows.h>

#include <string_view>

namespace nelvo::test {

// Moves the pointer to a screen position.
void movePointer(POINT screen);

// Moves there, then presses and releases the left button. Returns the tick
// count at the release, the moment a button takes a click.
DWORD clickAt(POINT screen);

// One key pressed and released, with the modifier (VK_CONTROL, VK_SHIFT or
// 0) held around it.
void pressKey(WORD virtualKey, WORD modifier = 0);

// Types each character with the key that makes it on the keyboard layout,
// holding Shift where the layout needs it. False, and nothing typed, when a
// character has no key.
bool typeText(std::wstring_view text);

} // namespace nelvo::test
