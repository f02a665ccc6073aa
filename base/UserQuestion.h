#pragma once
// Every message box of the setup program and the uninstaller goes through
// askUser, so that an unattended run (/S) shows none: it answers each
// question as documented (the answer the caller names, else the safe one:
// Cancel, No, or OK for a box with only OK) and writes the question and its
// answer to the run's log. A run with a person logs what was asked and what
// the person chose. Any thread.
// Windows build only.

#include <windows.h>

#include <string_view>

namespace nelvo {

// Set once, in the process entry, before anything can ask.
void setUnattended(bool unattended);
bool unattended();

// MessageBoxW(owner, text, caption, type), or `silentAnswer` (an ID... code;
// 0 for the safe answer) without any box when the run is unattended.
int askUser(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type, int silentAnswer = 0);

} // namespace nelvo
