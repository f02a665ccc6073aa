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

} // namespace nelvo
