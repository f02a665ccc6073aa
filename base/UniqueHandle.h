#pragma once
// Move-only owners for Win32 handles and GDI objects, made from one policy
// template, and guards for paired calls. Destructors keep GetLastError so
// that cleanup on an error path does not hide the error being reported.

#include <windows.h>

#include <cstdint>
#include <utility>

namespace nelvo {

template <typename T, auto Close, intptr_t Invalid = 0>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != invalid(); }
    T release() { return std::exchange(h_, invalid()); }
    void reset(T h = invalid()) {
        T old = std::exchange(h_, h);
        if (old != invalid()) {
            const DWORD err = GetLastError();
            Close(old);
            SetLastError(err);
        }
    }
    // For APIs that fill a handle through a pointer.
    T* put() {
        reset();
        return &h_;
    }

private:
    static T invalid() { return reinterpret_cast<T>(Invalid); }
    T h_ = invalid();
};

namespace detail {
inline void closeHandle(HANDLE h) { ::CloseHandle(h); }
inline void findClose(HANDLE h) { ::FindClose(h); }
inline void regCloseKey(HKEY h) { ::RegCloseKey(h); }
inline void deleteObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void deleteDc(HDC h) { ::DeleteDC(h); }
inline void destroyWindow(HWND h) { ::DestroyWindow(h); }
inline void destroyIcon(HICON h) { ::DestroyIcon(h); }
inline void freeLibrary(HMODULE h) { ::FreeLibrary(h); }
inline void unhookWindowsHookEx(HHOOK h) { ::UnhookWindowsHookEx(h); }
inline void unmapViewOfFile(void* p) { ::UnmapViewOfFile(p); }
} // namespace detail

// Handles whose "none" is null.
using UniqueKernelHandle = UniqueHandle<HANDLE, detail::closeHandle>;
// Handles whose "none" is INVALID_HANDLE_VALUE (files, snapshots).
using UniqueFileHandle = UniqueHandle<HANDLE, detail::closeHandle, -1>;
using UniqueFindHandle = UniqueHandle<HANDLE, detail::findClose, -1>;
using UniqueRegKey = UniqueHandle<HKEY, detail::regCloseKey>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, detail::deleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::deleteObject>;
using UniqueFont = UniqueHandle<HFONT, detail::deleteObject>;
using UniqueRegion = UniqueHandle<HRGN, detail::deleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::deleteObject>;
using UniqueDc = UniqueHandle<HDC, detail::deleteDc>;
using UniqueWindow = UniqueHandle<HWND, detail::destroyWindow>;
using UniqueIcon = UniqueHandle<HICON, detail::destroyIcon>;
using UniqueLibrary = UniqueHandle<HMODULE, detail::freeLibrary>;
using UniqueHook = UniqueHandle<HHOOK, detail::unhookWindowsHookEx>;
using UniqueMappedView = UniqueHandle<void*, detail::unmapViewOfFile>;

// Selects an object into a DC and restores the previous one on scope exit.
// Declare the owner of the object before the guard, so the guard runs first.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    HDC get() const { return dc_; }
    const PAINTSTRUCT& info() const { return ps_; }

private:
    HWND hwnd_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};

// SaveDC / RestoreDC.
class SaveDcGuard {
public:
    explicit SaveDcGuard(HDC dc) : dc_(dc), state_(::SaveDC(dc)) {}
    SaveDcGuard(const SaveDcGuard&) = delete;
    SaveDcGuard& operator=(const SaveDcGuard&) = delete;
    ~SaveDcGuard() {
        if (state_) ::RestoreDC(dc_, state_);
    }

private:
    HDC dc_;
    int state_;
};

} // namespace nelvo
