#include "store/LzPackage.h"

#include "store/LzmaDecoder.h"
#include "store/PackageFormat.h"

#include <cstring>
#include <vector>

namespace nelvo {

using namespace package;

// What the reader refuses is the contract in LzPackage.h; the whole package
// is refused rather than guessing which entries can still be trusted.
namespace {

// Walks the directory, checking every entry, and calls `visit` for each in
// directory order. False (with `error` set) on the first malformed part.
template <typename Visit>
bool walkDirectory(const ByteSource& source, std::string* error, Visit&& visit) {
    auto fail = [&](const char* why) {
        if (error) *error = why;
        return false;
    };
    const uint64_t size = source.size();
    if (size < kTrailerSize) return fail("shorter than the 8-byte trailer");

    uint8_t word[4];
    if (!source.read(size - 4, word, 4)) return fail("the package cannot be read");
    const uint64_t dirOffset = readLe32(word) ^ kKey;
    const uint64_t dirEnd = size - 4;  // entries and the terminating zero live before this
    if (dirOffset >= dirEnd) return fail("directory offset outside the package");
    // The directory alone is read into memory when the package is not.
    const uint8_t* data = source.memory();
    uint64_t shift = 0;  // the package offset of data[0]
    std::vector<uint8_t> directory;
    if (!data) {
        directory.resize(size_t(dirEnd - dirOffset));
        if (!source.read(dirOffset, directory.data(), directory.size())) return fail("the package cannot be read");
        data = directory.data();
        shift = dirOffset;
    }
    auto at = [&](uint64_t offset) { return data + (offset - shift); };

    uint8_t field[kMaxNameFieldBytes];
    uint64_t pos = dirOffset;
    for (;;) {
        if (pos + 4 > dirEnd) return fail("directory runs past the end of the package");
        const uint32_t entryLen = readLe32(at(pos));
        if (entryLen == 0) return true;
        if (entryLen < kEntryHeaderSize) return fail("directory entry shorter than 16 bytes");
        if (pos + entryLen > dirEnd) return fail("directory entry runs past the end of the package");
        const size_t fieldLen = entryLen - kEntryHeaderSize;
        if (fieldLen > kMaxNameFieldBytes) return fail("member name longer than 1024 units");

        LzPackage::Entry e;
        e.offset = readLe32(at(pos + 4));
        e.packedSize = readLe32(at(pos + 8));
        e.unpackedSize = readLe32(at(pos + 12));
        if (uint64_t(e.offset) + e.packedSize > size) return fail("member data outside the package");
        if (!e.stored() && e.packedSize < kLzmaPropsSize) return fail("compressed member without LZMA properties");

        std::memcpy(field, at(pos + kEntryHeaderSize), fieldLen);
        for (size_t i = 0; i + 4 <= fieldLen; i += 4) writeLe32(field + i, readLe32(field + i) ^ kKey);
        std::u16string name;
        for (size_t i = 0; i + 2 <= fieldLen; i += 2) {
            const char16_t unit = char16_t(field[i] | field[i + 1] << 8);
            if (unit == 0) break;
            name.push_back(unit);
        }
        visit(std::move(name), e);
        pos += entryLen;
    }
}

} // namespace

std::unique_ptr<LzPackage> LzPackage::open(const uint8_t* data, size_t size, std::string* error) {
    auto own = std::make_unique<MemorySource>(data, size);
    std::unique_ptr<LzPackage> pkg = open(*own, error);
    if (pkg) pkg->ownSource_ = std::move(own);
    return pkg;
}

std::unique_ptr<LzPackage> LzPackage::open(const ByteSource& source, std::string* error) {
    std::unique_ptr<LzPackage> pkg(new LzPackage(source));
    // A later entry of the same name replaces the earlier one.
    const bool ok = walkDirectory(source, error, [&](std::u16string name, const Entry& e) {
        pkg->members_.insert_or_assign(std::move(name), e);
    });
    return ok ? std::move(pkg) : nullptr;
}

std::vector<LzPackage::DirectoryEntry> LzPackage::directory() const {
    std::vector<DirectoryEntry> entries;
    walkDirectory(*source_, nullptr,
                  [&](std::u16string name, const Entry& e) { entries.push_back({std::move(name), e}); });
    return entries;
}

const LzPackage::Entry* LzPackage::find(std::u16string_view name) const {
    auto it = members_.find(name);
    return it == members_.end() ? nullptr : &it->second;
}

LzPackage::Decode LzPackage::decode(const Entry& e, HeapBlock& out) const {
    if (e.stored()) {
        out = HeapBlock::allocate(e.packedSize);
        if (!out) return Decode::NoMemory;
        if (source_->read(e.offset, out.data(), e.packedSize)) return Decode::Ok;
        out.truncate(0);
        return Decode::Damaged;
    }
    out = HeapBlock::allocate(e.unpackedSize);
    if (!out) return Decode::NoMemory;
    LzmaDecodeResult r;
    if (const uint8_t* base = source_->memory()) {
        const uint8_t* stored = base + e.offset;
        r = lzmaDecode(stored, stored + kLzmaPropsSize, e.packedSize - kLzmaPropsSize, out.data(), e.unpackedSize);
    } else {
        uint8_t props[kLzmaPropsSize];
        if (source_->read(e.offset, props, sizeof props))
            r = lzmaDecode(props, *source_, e.offset + kLzmaPropsSize, e.packedSize - kLzmaPropsSize, out.data(),
                           e.unpackedSize);
    }
    out.truncate(r.produced);
    return r.clean ? Decode::Ok : Decode::Damaged;
}

LzPackage::Decode LzPackage::decodeEntryInPieces(const Entry& e, PieceSink& sink) const {
    uint8_t props[kLzmaPropsSize];
    if (e.stored() || !source_->read(e.offset, props, sizeof props)) return Decode::Damaged;
    const LzmaDecodeResult r = lzmaDecodeInPieces(props, *source_, e.offset + kLzmaPropsSize,
                                                  e.packedSize - kLzmaPropsSize, e.unpackedSize,
                                                  package::kStreamDictionary, sink);
    return r.clean ? Decode::Ok : Decode::Damaged;
}

LzPackage::Decode LzPackage::lookupChecked(std::u16string_view name, HeapBlock& out) const {
    const Entry* e = find(name);
    if (!e) return Decode::Absent;
    return decode(*e, out);
}

HeapBlock LzPackage::lookup(std::u16string_view name) const {
    HeapBlock out;
    // A block that cannot be allocated counts as an absent member.
    if (lookupChecked(name, out) == Decode::NoMemory) return {};
    return out;
}

} // namespace nelvo
