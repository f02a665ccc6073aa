// libFuzzer target: index building and member lookup over arbitrary bytes,
// held in memory and read through a source a piece at a time (as the
// program's file is): both must give the same members. A member decoded in
// pieces through the stream window gives a beginning of what the whole
// decoding gives, and all of it when it succeeds.

#include "store/LzPackage.h"
#include "store/LzmaDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The bytes as a source that is not memory to the reader.
class Pieces final : public nelvo::ByteSource {
public:
    explicit Pieces(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, void* out, size_t count) const override {
        if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
        if (count) std::memcpy(out, bytes_.data() + offset, count);
        return true;
    }

private:
    const std::vector<uint8_t>& bytes_;
};

// Collects the pieces of a member.
class Collected final : public nelvo::PieceSink {
public:
    bool take(const uint8_t* data, size_t size) override {
        got.insert(got.end(), data, data + size);
        return true;
    }
    std::vector<uint8_t> got;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so that any read past the end is seen.
    std::vector<uint8_t> bytes(data, data + size);
    auto index = nelvo::LzPackage::open(bytes.data(), bytes.size());
    const Pieces pieces(bytes);
    auto read = nelvo::LzPackage::open(pieces);
    if (bool(index) != bool(read)) __builtin_trap();
    if (!index) return 0;
    // Members claiming huge sizes would only measure the allocator (and
    // stop the run with out-of-memory), so every lookup goes through here.
    auto lookup = [&](std::u16string_view name) {
        const nelvo::LzPackage::Entry* entry = index->find(name);
        if (entry && entry->unpackedSize > (16u << 20)) return;
        nelvo::HeapBlock b, r;
        const auto decoded = index->lookupChecked(name, b);
        if (b && (!entry || (!entry->stored() && b.size() > entry->unpackedSize))) __builtin_trap();
        if (read->lookupChecked(name, r) != decoded || r.size() != b.size() ||
            (b.size() && std::memcmp(r.data(), b.data(), b.size()) != 0))
            __builtin_trap();
        if (!entry || entry->stored()) return;
        Collected pieces;
        const auto inPieces = read->decodeEntryInPieces(*entry, pieces);
        if (pieces.got.size() > b.size() || (pieces.got.size() && std::memcmp(pieces.got.data(), b.data(), pieces.got.size())) ||
            (inPieces == nelvo::LzPackage::Decode::Ok && (decoded != inPieces || pieces.got.size() != b.size())))
            __builtin_trap();
    };
    for (const auto& member : index->members()) lookup(member.first);
    lookup(u"font.xml");
    return 0;
}
