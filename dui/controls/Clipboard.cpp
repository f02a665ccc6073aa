#include "dui/controls/Clipboard.h"

#ifdef _WIN32
#include <cstring>

namespace nelvo {
namespace {

// OpenClipboard / CloseClipboard.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

} // namespace

bool clipboardSetText(HWND owner, const std::u16string& text) {
    OpenedClipboard clipboard(owner);
    if (!clipboard) return false;
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory) return false;
    if (void* p = GlobalLock(memory)) {
        std::memcpy(p, text.data(), text.size() * sizeof(char16_t));
        GlobalUnlock(memory);
    }
    EmptyClipboard();
    // On success the clipboard owns the memory.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

bool clipboardGetText(HWND owner, std::u16string& out) {
    if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
    OpenedClipboard clipboard(owner);
    if (!clipboard) return false;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return false;
    const auto* p = static_cast<const char16_t*>(GlobalLock(data));
    if (!p) return false;
    // Never read past the block, even when the text lacks its NUL.
    const size_t capacity = GlobalSize(data) / sizeof(char16_t);
    size_t n = 0;
    while (n < capacity && p[n]) ++n;
    out.assign(p, n);
    GlobalUnlock(data);
    return true;
}

} // namespace nelvo
#endif
