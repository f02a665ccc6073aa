#pragma once
// The index over one package's bytes (layout in PackageFormat.h): member
// lookup by exact name with on-demand decompression. Free of any operating
// system; built into setup.exe and into the native packer and tests.
//
// The index does not own the package bytes: whoever opens it keeps the bytes
// (or the source they are read from) alive as long as the index. Built once,
// then only read; lookups keep no state, so one index may serve several
// threads.

#include "base/HeapBlock.h"
#include "store/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class PieceSink;

class LzPackage {
public:
    struct Entry {
        uint32_t offset = 0;
        uint32_t packedSize = 0;
        uint32_t unpackedSize = 0;  // 0: stored as is
        bool stored() const { return unpackedSize == 0; }
    };

    // Indexes the package. A malformed package is refused as a whole (the
    // bytes come from our own executable, so any inconsistency means the
    // resource is damaged): the result is null and `error` (optional) says
    // why. A package is malformed when
    //   - it is shorter than the 8-byte trailer (or `data` is null);
    //   - the directory offset lies outside [0, size - 4);
    //   - an entry header or its name field does not fit before the final
    //     4-byte directory offset (the directory must end with a zero word);
    //   - entry_len is below 16 or its name field is over 1024 UTF-16 units;
    //   - a member's stored bytes do not lie inside the package;
    //   - a compressed member has fewer than the 5 property bytes.
    // A damaged LZMA stream inside a well-formed directory is not detected
    // here: lookups decode what they can (see lookup and lookupChecked).
    // A later entry of the same name replaces an earlier one.
    static std::unique_ptr<LzPackage> open(const uint8_t* data, size_t size, std::string* error = nullptr);
    // The same over a source, which is read as members are asked for: only
    // the directory is kept in memory. A source that cannot be read where
    // the directory lies is refused like a malformed package; a member
    // whose bytes cannot be read decodes as damaged.
    static std::unique_ptr<LzPackage> open(const ByteSource& source, std::string* error = nullptr);

    // A fresh block with the member's content, or an empty block when the
    // package has no member of that name (exact, case-sensitive match) or
    // the block cannot be allocated. A damaged compressed member yields the
    // bytes the decoder produced before it stopped, possibly fewer than its
    // unpacked size; see lookupChecked() to tell.
    HeapBlock lookup(std::u16string_view name) const;

    enum class Decode { Ok, Absent, NoMemory, Damaged };
    // As lookup(), also saying whether the member decoded cleanly to its full
    // size. `out` receives whatever was decoded.
    Decode lookupChecked(std::u16string_view name, HeapBlock& out) const;

    const Entry* find(std::u16string_view name) const;
    // The stored bytes of an entry of this package where they lie in
    // memory; null when the package is read from a source that is not
    // memory (read them from source() then).
    const uint8_t* storedBytes(const Entry& e) const {
        const uint8_t* base = source_->memory();
        return base ? base + e.offset : nullptr;
    }
    const ByteSource& source() const { return *source_; }
    // Decodes one directory entry of this package (also one that a later
    // entry of the same name shadows).
    Decode decodeEntry(const Entry& e, HeapBlock& out) const { return decode(e, out); }
    // Decodes a compressed entry through a window of
    // package::kStreamDictionary bytes, handing it to `sink` a piece at a
    // time. Damaged also for a stream made with a larger dictionary (a
    // package from elsewhere): decodeEntry() takes those.
    Decode decodeEntryInPieces(const Entry& e, PieceSink& sink) const;
    const std::map<std::u16string, Entry, std::less<>>& members() const { return members_; }

    struct DirectoryEntry {
        std::u16string name;
        Entry entry;
    };
    // Every directory entry in directory order, duplicates included, read
    // again from the package bytes (for tools; lookups never need it).
    std::vector<DirectoryEntry> directory() const;

private:
    explicit LzPackage(const ByteSource& source) : source_(&source) {}
    Decode decode(const Entry& e, HeapBlock& out) const;

    // The bytes given as a block are a source of the index's own.
    std::unique_ptr<MemorySource> ownSource_;
    const ByteSource* source_;
    std::map<std::u16string, Entry, std::less<>> members_;
};

} // namespace nelvo
