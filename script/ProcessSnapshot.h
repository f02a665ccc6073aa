#pragma once
// A snapshot of every process of the system, walked from first to last, and
// the two ways of looking at a process that the system functions use.
// Any thread.

#include "base/UniqueHandle.h"

#include <tlhelp32.h>

#include <string>
#include <string_view>

namespace nelvo {

class ProcessSnapshot {
public:
    ProcessSnapshot();
    // The next process, starting with the first; false after the last (or
    // when no snapshot could be taken).
    bool next(PROCESSENTRY32W& entry);

private:
    UniqueFileHandle snapshot_;
    bool started_ = false;
};

// The full path of the main module of an opened process, read into a buffer
// of 260 units; empty when it cannot be read. A longer path comes back cut.
std::wstring processImagePath(HANDLE process);

// Ordinal comparison without regard to case, as file names compare.
bool sameFileName(std::wstring_view a, std::wstring_view b);

} // namespace nelvo
