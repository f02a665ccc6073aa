#pragma once
// Where bytes of a mapped executable image lie in the image's file, found
// through the section table the image was mapped by. Free of any operating
// system.

#include <cstdint>
#include <optional>
#include <span>

namespace nelvo {

// The file offset of the `size` bytes at `rva` of an image whose headers
// (the first bytes of the mapped image, as many as are mapped) are
// `headers`. Nothing for headers that are not those of a PE image, a
// section table that runs past `headers`, or a range that does not lie
// whole inside the file data of one section and inside a file of
// `fileSize` bytes.
std::optional<uint64_t> imageRangeInFile(std::span<const uint8_t> headers, uint32_t rva, uint32_t size,
                                         uint64_t fileSize);

} // namespace nelvo
