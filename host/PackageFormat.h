#pragma once
// On-disk layout of a package: the members' stored bytes from offset 0, then
// the directory, then a zero word and the scrambled directory offset.
//
//   offset 0       member data, back to back
//   D              directory entries, back to back
//   end - 8        uint32 0            (an entry length of 0 ends the directory)
//   end - 4        uint32 D ^ kKey
//
// Directory entry (all integers unsigned 32-bit little-endian):
//   0   entry_len      16 + length of the name field
//   4   offset         where the member's stored bytes start
//   8   packed_size    number of stored bytes
//   12  unpacked_size  0: stored as is; otherwise the decoded size
//   16  name field     UTF-16LE name, at least one zero unit, zero-padded to a
//                      multiple of 4 bytes; every whole 32-bit word XOR kKey
//
// A compressed member's stored bytes are 5 LZMA property bytes (lc/lp/pb,
// then the dictionary size) followed by a raw LZMA stream that decodes to
// unpacked_size bytes, with or without an end marker.

#include <cstddef>
#include <cstdint>

namespace nelvo::package {

inline constexpr uint32_t kKey = 0x5B3E91C7;
inline constexpr size_t kEntryHeaderSize = 16;
inline constexpr size_t kTrailerSize = 8;
inline constexpr size_t kLzmaPropsSize = 5;
// Longest name field the reader accepts: 1024 UTF-16 units.
inline constexpr size_t kMaxNameFieldBytes = 2048;
// What the packer writes: lc 3, lp 0, pb 2 and a 64 MiB dictionary.
inline constexpr uint8_t kPropsByte = 0x5D;
inline constexpr uint32_t kAnnouncedDictionary = 64u << 20;

inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void writeLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

} // namespace nelvo::package
