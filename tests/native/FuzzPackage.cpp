// libFuzzer target: index building and member lookup over arbitrary bytes.

#include "host/LzPackage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so that any read past the end is seen.
    std::vector<uint8_t> bytes(data, data + size);
    auto index = nelvo::LzPackage::open(bytes.data(), bytes.size());
    if (!index) return 0;
    for (const auto& [name, entry] : index->members()) {
        // Members claiming huge sizes would only measure the allocator.
        if (entry.unpackedSize > (16u << 20)) continue;
        nelvo::HeapBlock b = index->lookup(name);
        if (b && !entry.stored() && b.size() > entry.unpackedSize) __builtin_trap();
    }
    index->lookup(u"font.xml");
    return 0;
}
