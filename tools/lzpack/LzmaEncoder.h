#pragma once
// Raw LZMA1 encoding for the packer: the best ratio the encoder offers, the
// properties byte 0x5D and a dictionary announced as 64 MiB, no end marker.
// Single-threaded, so the same input always gives the same bytes.

#include "store/PackageFormat.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace nelvo {

// The 5 property bytes followed by the raw stream, or nothing when the
// encoder fails (out of memory). Matches reach back at most `dictionary`
// bytes; the properties announce 64 MiB whatever it is.
std::optional<std::vector<uint8_t>> lzmaEncode(std::string_view data,
                                               uint32_t dictionary = package::kStreamDictionary);

} // namespace nelvo
