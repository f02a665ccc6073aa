#include "tests/support/RealInput.h"

#include <cstdio>
#include <vector>

namespace nelvo::test {

namespace {

// Input arrives in bursts a person could not type; the pauses let the
// receiving program's loop keep up, as with real hardware.
constexpr DWORD kPauseMs = 30;

INPUT keyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

void send(INPUT in) {
    SendInput(1, &in, sizeof in);
    Sleep(kPauseMs);
}

} // namespace

void movePointer(POINT screen) {
    // SetCursorPos lands on the exact pixel; the move event after it is what
    // the program sees as the pointer arriving.
    SetCursorPos(screen.x, screen.y);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((screen.x * 65535LL + (w - 1) / 2) / (w > 1 ? w - 1 : 1));
    in.mi.dy = LONG((screen.y * 65535LL + (h - 1) / 2) / (h > 1 ? h - 1 : 1));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    send(in);
    SetCursorPos(screen.x, screen.y);
    Sleep(kPauseMs);
}

DWORD clickAt(POINT screen) {
    movePointer(screen);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    send(in);
    in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    const DWORD released = GetTickCount();
    send(in);
    return released;
}

void pressKey(WORD virtualKey, WORD modifier) {
    if (modifier) send(keyInput(modifier, false));
    send(keyInput(virtualKey, false));
    send(keyInput(virtualKey, true));
    if (modifier) send(keyInput(modifier, true));
}

bool typeText(std::wstring_view text) {
    std::vector<SHORT> keys;
    for (wchar_t c : text) {
        const SHORT key = VkKeyScanW(c);
        if (key == -1 || (HIBYTE(key) & ~1)) return false;  // no key, or one that needs more than Shift
        keys.push_back(key);
    }
    for (SHORT key : keys) pressKey(LOBYTE(key), (HIBYTE(key) & 1) ? VK_SHIFT : 0);
    return true;
}

} // namespace nelvo::test
