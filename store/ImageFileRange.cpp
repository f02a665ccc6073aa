#include "store/ImageFileRange.h"

namespace nelvo {

namespace {

// The PE layout, as far as it is read here.
constexpr size_t kNewHeaderOffsetAt = 0x3C;  // in the MS-DOS header
constexpr size_t kFileHeaderBytes = 20;      // after the 4-byte signature
constexpr size_t kSectionHeaderBytes = 40;
constexpr size_t kSectionsAt = 2, kOptionalHeaderSizeAt = 16;            // in the file header
constexpr size_t kVirtualSizeAt = 8, kVirtualAddressAt = 12;             // in a section header
constexpr size_t kRawSizeAt = 16, kRawOffsetAt = 20;

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

} // namespace

std::optional<uint64_t> imageRangeInFile(std::span<const uint8_t> headers, uint32_t rva, uint32_t size,
                                         uint64_t fileSize) {
    const uint8_t* h = headers.data();
    const uint64_t have = headers.size();
    if (have < kNewHeaderOffsetAt + 4 || h[0] != 'M' || h[1] != 'Z') return std::nullopt;
    const uint64_t pe = le32(h + kNewHeaderOffsetAt);
    if (pe + 4 + kFileHeaderBytes > have || le32(h + pe) != 0x00004550 /* "PE\0\0" */) return std::nullopt;
    const uint8_t* fileHeader = h + pe + 4;
    const uint64_t sections = le16(fileHeader + kSectionsAt);
    const uint64_t table = pe + 4 + kFileHeaderBytes + le16(fileHeader + kOptionalHeaderSizeAt);
    if (table + sections * kSectionHeaderBytes > have) return std::nullopt;
    const uint64_t first = rva, last = uint64_t(rva) + size;
    for (uint64_t i = 0; i < sections; ++i) {
        const uint8_t* s = h + table + i * kSectionHeaderBytes;
        const uint64_t address = le32(s + kVirtualAddressAt);
        const uint64_t virtualSize = le32(s + kVirtualSizeAt);
        const uint64_t rawSize = le32(s + kRawSizeAt);
        // Past its file data a section is zeros the loader made, not bytes
        // of the file.
        const uint64_t inFile = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
        if (first < address || last > address + inFile) continue;
        const uint64_t offset = le32(s + kRawOffsetAt) + (first - address);
        if (offset + size > fileSize) return std::nullopt;
        return offset;
    }
    return std::nullopt;
}

} // namespace nelvo
