#pragma once
// Builds package bytes (layout in store/PackageFormat.h) from named members,
// in the order they are added.

#include "tools/lzpack/PackageDirectory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class PackageWriter {
public:
    // Adds a member stored as is (`compress` false) or LZMA-compressed.
    // Returns false when the encoder fails or the package would exceed the
    // 4 GiB its 32-bit offsets can address.
    bool add(std::u16string name, std::string_view content, bool compress);

    // The whole package: member data, directory, zero word, scrambled offset.
    std::vector<uint8_t> finish() const;

private:
    std::vector<uint8_t> data_;
    std::vector<PackageMember> members_;
};

} // namespace nelvo
