#pragma once
// Writing a package member to a file on disk.

#include "host/LzPackage.h"

#include <string>

namespace nelvo {

// Replaces whatever is at `path` (read-only or not) with the member's
// content. True only when the file now holds the whole member. An absent
// member changes nothing on disk. The target's folder must exist. A damaged
// member is written as far as it decodes and reported as false.
bool extractMember(const LzPackage& package, std::u16string_view name, const std::wstring& path);

// The file side of it: replaces whatever is at `path` with `size` bytes at
// `data`, in one write. True when the file now holds them all.
bool writeMemberFile(const std::wstring& path, const uint8_t* data, size_t size);

} // namespace nelvo
