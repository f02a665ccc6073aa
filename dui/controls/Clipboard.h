#pragma once
// The clipboard as the text controls use it: Unicode text in, Unicode text
// out. Windows build only; UI thread.

#ifdef _WIN32
#include <windows.h>

#include <string>

namespace nelvo {

// Empties the clipboard and puts `text` on it as CF_UNICODETEXT, owned by
// `owner`. False when the clipboard cannot be opened or memory runs out.
bool clipboardSetText(HWND owner, const std::u16string& text);
// The clipboard's CF_UNICODETEXT (up to its first NUL), only when it offers
// text (CF_TEXT). False, leaving `out` alone, otherwise.
bool clipboardGetText(HWND owner, std::u16string& out);

} // namespace nelvo
#endif
