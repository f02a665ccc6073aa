#pragma once
// The running-programs block: named shared memory through which the
// product's own processes publish the programs that use the camera.
//
//   mutex    "B225A8E1-72D4-4ED6-834F-55BD8E70E63A"  guards the block
//   mapping  "4DC1097A-58F5-40F4-AD49-F77C1C1B9858"  4096 bytes, pagefile
//   content  zero-terminated UTF-16 text of at most 2047 units: entries
//            (a program path or file name), each followed by ";"
//
// Both objects carry the low mandatory integrity label so that processes at
// low integrity can open them. Whoever opens the block first creates it
// zero-filled; it lives while some process keeps it open. Every wait for the
// mutex lasts at most 100 ms. One object per thread; any thread.

#include "base/UniqueHandle.h"

#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class RunningProgramsBlock {
public:
    static constexpr size_t kBytes = 4096;
    static constexpr size_t kUnits = kBytes / sizeof(wchar_t);

    // Opens the block, creating it when it does not exist yet. False when it
    // is unavailable (an object could not be made or opened, or the mutex
    // was not had within 100 ms); the object then holds nothing.
    bool open();

    // A copy of the text up to its first zero unit; empty when the block is
    // not open or the mutex was not had in time.
    std::wstring read() const;

    // Replaces the text, cut to 2047 units. For the product's processes and
    // their stand-ins; the setup program only reads. False when the block is
    // not open or the mutex was not had in time.
    bool write(std::wstring_view text);

    // The entries of a block text: the run of characters before each ";",
    // empty runs skipped; what follows the last ";" is not an entry.
    static std::vector<std::wstring> entries(std::wstring_view text);

private:
    UniqueKernelHandle mutex_;
    UniqueKernelHandle mapping_;
    UniqueMappedView view_;
    size_t viewBytes_ = 0;
};

// Opens the block, copies its text and closes it again.
std::wstring readRunningPrograms();

// The part of an entry after its last "\" or "/", or the whole entry.
std::wstring_view programFileName(std::wstring_view entry);

} // namespace nelvo
