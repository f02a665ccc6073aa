#pragma once
// The build's record of the program's resources, carried by the program as
// a resource of its own so that start-up can tell a damaged download from a
// good one. Free of any operating system.
//
// Layout (all numbers little-endian):
//   offset 0   4 bytes   "NVRD"
//   offset 4   4 bytes   N, the number of entries (at most 64)
//   offset 8   N * 40    entries: resource identifier (4 bytes), size in
//                        bytes (4 bytes), SHA-256 of the bytes (32 bytes)
// Nothing may follow the last entry.

#include "base/Sha256.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

struct ResourceDigest {
    uint32_t id = 0;
    uint32_t size = 0;
    Sha256::Digest sha{};
};

inline constexpr size_t kDigestEntryBytes = 40;
inline constexpr uint32_t kMaxDigestEntries = 64;

std::string serializeDigests(const std::vector<ResourceDigest>& entries);
// False (and `out` empty) for anything but a well-formed record.
bool parseDigests(std::string_view bytes, std::vector<ResourceDigest>& out);

} // namespace nelvo
