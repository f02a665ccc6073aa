#pragma once
// The directory both package writers keep while members are added, and the
// bytes it becomes after the member data (layout in store/PackageFormat.h).

#include "store/PackageFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nelvo {

struct PackageMember {
    std::u16string name;
    uint32_t offset;
    uint32_t packedSize;
    uint32_t unpackedSize;  // 0: stored as is
};

// The directory, zero word and scrambled offset for members whose data ends
// at `dataEnd`.
inline std::vector<uint8_t> packageDirectory(const std::vector<PackageMember>& members, uint32_t dataEnd) {
    std::vector<uint8_t> out;
    for (const PackageMember& m : members)
        package::appendEntry(out, m.offset, m.packedSize, m.unpackedSize, package::scrambledNameField(m.name));
    package::appendTrailer(out, dataEnd);
    return out;
}

} // namespace nelvo
