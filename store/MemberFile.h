#pragma once
// Writing a package member to a file on disk.

#include "store/LzPackage.h"

#include <string>

namespace nelvo {

// Replaces whatever is at `path` (read-only or not) with the member's
// content. True only when the file now holds the whole member. An absent or
// damaged member changes nothing on disk. The target's folder must exist.
bool extractMember(const LzPackage& package, std::u16string_view name, const std::wstring& path);

// The file side of it, the one place a member reaches the disk: the bytes go
// to a hidden temporary file beside `path`, are flushed, and that file is
// moved over `path` in one step (replacing a file there, read-only or not).
// True when `path` now holds them all; otherwise `path` is as it was and the
// temporary file is gone: no name ever holds a cut file.
//
// On failure, these functions leave the reason in the thread's last error:
// the system's error of the step that failed (ERROR_DISK_FULL,
// ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ...), or ERROR_INVALID_DATA
// for a member that does not decode whole or cannot be read from the
// package.
bool writeMemberFile(const std::wstring& path, const uint8_t* data, size_t size);

// The same for a compressed member: decoded straight into the file through
// a window (LzPackage::decodeEntryInPieces), so that only the window is
// held, not the whole member. A stream that needs more than the window is
// decoded whole first. False for a stored entry.
bool writeCompressedMember(const LzPackage& package, const LzPackage::Entry& entry, const std::wstring& path);

// The same for a member stored as it is: its bytes are written straight
// from the package, read a window at a time where the package is not in
// memory. False for a compressed entry.
bool writeStoredMember(const LzPackage& package, const LzPackage::Entry& entry, const std::wstring& path);

} // namespace nelvo
