#pragma once
// The resource section of a PE image, laid out from a list of resources:
// the three-level directory (type, name, language), the data entries, the
// name strings and then each resource's bytes, 8-byte aligned. Only the
// layout and the records are made here; the bytes of a large resource are
// copied by the caller to where dataOffset() says, so that they never need
// to be in memory. Free of any operating system.

#include <cstdint>
#include <string>
#include <vector>

namespace nelvo {

// A type or a name: a number, or a string (stored as given; the loader
// compares names without regard to case, so write them in capitals).
struct ResourceKey {
    std::u16string text;  // empty: the key is `number`
    uint16_t number = 0;
};

struct ResourceItem {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    uint32_t size = 0;
};

class ResourceSection {
public:
    // Lays out `items` (no two with the same type, name and language) for a
    // section that the image maps at `sectionRva`.
    ResourceSection(std::vector<ResourceItem> items, uint32_t sectionRva);

    // The directory, data entries and strings: the section's first bytes.
    const std::vector<uint8_t>& head() const { return head_; }
    // Where item `i` (in the order given) starts, from the section's start.
    uint64_t dataOffset(size_t i) const { return offsets_[i]; }
    // The whole section's size: head, data and the padding between them.
    uint64_t size() const { return size_; }

private:
    std::vector<uint8_t> head_;
    std::vector<uint64_t> offsets_;
    uint64_t size_ = 0;
};

} // namespace nelvo
