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
#include <string_view>
#include <vector>

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
// The dictionary the packer really makes its streams with (64 MiB is valid
// for them all the same): a member can then go to its file through a window
// of this size instead of a block of its whole size. Larger members pack
// less than 0.1 % worse for it.
inline constexpr uint32_t kStreamDictionary = 256u << 10;

inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void writeLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// --- Writing the records (the packer, and tests that build packages by hand) ---

// The scrambled name field of a directory entry: UTF-16LE name, at least one
// zero unit, zero-padded to a multiple of 4 bytes, each word XOR kKey.
inline std::vector<uint8_t> scrambledNameField(std::u16string_view name) {
    const size_t bytes = (name.size() + 1) * 2;
    std::vector<uint8_t> field((bytes + 3) & ~size_t(3), 0);
    for (size_t i = 0; i < name.size(); ++i) {
        field[2 * i] = uint8_t(name[i]);
        field[2 * i + 1] = uint8_t(name[i] >> 8);
    }
    for (size_t i = 0; i < field.size(); i += 4) writeLe32(&field[i], readLe32(&field[i]) ^ kKey);
    return field;
}

// Appends one directory entry: the 16-byte header (entry_len from the field's
// size) and the name field as given.
inline void appendEntry(std::vector<uint8_t>& out, uint32_t offset, uint32_t packedSize, uint32_t unpackedSize,
                        const std::vector<uint8_t>& nameField) {
    uint8_t header[kEntryHeaderSize];
    writeLe32(header, uint32_t(kEntryHeaderSize + nameField.size()));
    writeLe32(header + 4, offset);
    writeLe32(header + 8, packedSize);
    writeLe32(header + 12, unpackedSize);
    out.insert(out.end(), header, header + sizeof header);
    out.insert(out.end(), nameField.begin(), nameField.end());
}

// Appends the trailer: the zero word that ends the directory and the
// scrambled directory offset.
inline void appendTrailer(std::vector<uint8_t>& out, uint32_t directoryOffset) {
    uint8_t trailer[kTrailerSize];
    writeLe32(trailer, 0);
    writeLe32(trailer + 4, directoryOffset ^ kKey);
    out.insert(out.end(), trailer, trailer + sizeof trailer);
}

} // namespace nelvo::package
