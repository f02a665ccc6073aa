#pragma once
// Drawing in device pixels on a context that paints through a scaling world
// transform (dui/DpiScale.h): a piece already resampled to its device size
// is copied one to one, with no transform in the way. The guard takes the
// transform away on the first `enter` and puts the one it found back on
// `leave` or when it goes, so a draw that mixes resampled pieces with pieces
// GDI scales itself switches only when it must.
// Windows build only.

#include <windows.h>

namespace nelvo {

class DevicePixelMode {
public:
    explicit DevicePixelMode(HDC dc) : dc_(dc) {}
    ~DevicePixelMode() { leave(); }
    DevicePixelMode(const DevicePixelMode&) = delete;
    DevicePixelMode& operator=(const DevicePixelMode&) = delete;

    // Coordinates are device pixels from here on.
    void enter() {
        if (entered_ || !GetWorldTransform(dc_, &saved_)) return;
        entered_ = ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY) != FALSE;
    }
    // The transform found at `enter` again.
    void leave() {
        if (!entered_) return;
        SetWorldTransform(dc_, &saved_);
        entered_ = false;
    }
    bool entered() const { return entered_; }

private:
    HDC dc_;
    XFORM saved_{};
    bool entered_ = false;
};

} // namespace nelvo
