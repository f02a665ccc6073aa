// libFuzzer target: index building and member lookup over arbitrary bytes.

#include "store/LzPackage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so that any read past the end is seen.
    std::vector<uint8_t> bytes(data, data + size);
    auto index = nelvo::LzPackage::open(bytes.data(), bytes.size());
    if (!index) return 0;
    // Members claiming huge sizes would only measure the allocator (and
    // stop the run with out-of-memory), so every lookup goes through here.
    auto lookup = [&](std::u16string_view name) {
        const nelvo::LzPackage::Entry* entry = index->find(name);
        if (entry && entry->unpackedSize > (16u << 20)) return;
        nelvo::HeapBlock b = index->lookup(name);
        if (b && (!entry || (!entry->stored() && b.size() > entry->unpackedSize))) __builtin_trap();
    };
    for (const auto& member : index->members()) lookup(member.first);
    lookup(u"font.xml");
    return 0;
}
