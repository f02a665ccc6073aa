#include "tests/support/ProcessCounts.h"

#include <windows.h>

namespace nelvo::test {
namespace {

// Handle values are multiples of 4; the table is searched well past the
// highest handle a test process holds.
constexpr UINT_PTR kHandleLimit = 0x10000;
// GDI and user handles keep their table slot in the low word.
constexpr UINT_PTR kSlotLimit = 0x10000;
constexpr UINT_PTR kFirstUserHandle = 0x20;

uint32_t walkHandles() {
    uint32_t n = 0;
    DWORD flags;
    for (UINT_PTR h = 4; h < kHandleLimit; h += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
    return n;
}

uint32_t walkGdiObjects() {
    uint32_t n = 0;
    for (UINT_PTR h = 1; h < kSlotLimit; ++h)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(h))) ++n;
    return n;
}

// Asking an icon for its information makes copies of its bitmaps: they are
// deleted at once, so walk the GDI table before this one.
uint32_t walkUserObjects() {
    const DWORD self = GetCurrentProcessId();
    uint32_t n = 0;
    for (UINT_PTR h = kFirstUserHandle; h < kSlotLimit; h += 2) {
        const auto hwnd = reinterpret_cast<HWND>(h);
        if (IsWindow(hwnd)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == self) ++n;
        } else if (IsMenu(reinterpret_cast<HMENU>(h))) {
            ++n;
        } else {
            ICONINFO info;
            if (GetIconInfo(reinterpret_cast<HICON>(h), &info)) {
                ++n;
                if (info.hbmMask) DeleteObject(info.hbmMask);
                if (info.hbmColor) DeleteObject(info.hbmColor);
            }
        }
    }
    return n;
}

} // namespace

ProcessCounts readProcessCounts() {
    ProcessCounts c;
    const HANDLE self = GetCurrentProcess();
    c.gdiObjects = GetGuiResources(self, GR_GDIOBJECTS);
    if (c.gdiObjects == 0) c.gdiObjects = walkGdiObjects();
    c.userObjects = GetGuiResources(self, GR_USEROBJECTS);
    if (c.userObjects == 0) c.userObjects = walkUserObjects();
    DWORD handles = 0;
    // Every process holds some handle: none means the count is not kept.
    if (!GetProcessHandleCount(self, &handles) || handles == 0) handles = walkHandles();
    c.handles = handles;
    return c;
}

} // namespace nelvo::test
