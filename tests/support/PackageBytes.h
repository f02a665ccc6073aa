#pragma once
// Package bytes built by hand for tests, with the format's own record
// writers and no encoder: members stored as is, or given as raw stored bytes
// (a compressed member, a damaged one) with the unpacked size to announce.

#include "base/HeapBlock.h"
#include "store/PackageFormat.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nelvo::test {

class PackageBytes {
public:
    // A member stored as is.
    PackageBytes& add(std::u16string_view name, std::string_view content) { return addRaw(name, content, 0); }
    // A member with these stored bytes and that unpacked size (0: stored).
    PackageBytes& addRaw(std::u16string_view name, std::string_view stored, uint32_t unpackedSize) {
        members_.push_back({std::u16string(name), uint32_t(data_.size()), uint32_t(stored.size()), unpackedSize});
        data_.insert(data_.end(), stored.begin(), stored.end());
        return *this;
    }

    // Member data, the directory in the order added, the trailer.
    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out = data_;
        for (const Member& m : members_)
            package::appendEntry(out, m.offset, m.packed, m.unpacked, package::scrambledNameField(m.name));
        package::appendTrailer(out, uint32_t(data_.size()));
        return out;
    }
    HeapBlock block() const {
        const std::vector<uint8_t> out = bytes();
        HeapBlock block = HeapBlock::allocate(out.size());
        std::copy(out.begin(), out.end(), block.data());
        return block;
    }

private:
    struct Member {
        std::u16string name;
        uint32_t offset, packed, unpacked;
    };
    std::vector<uint8_t> data_;
    std::vector<Member> members_;
};

// A package whose members are all stored as is.
inline HeapBlock storedPackage(const std::vector<std::pair<std::u16string, std::string>>& members) {
    PackageBytes package;
    for (const auto& [name, content] : members) package.add(name, content);
    return package.block();
}

} // namespace nelvo::test
