#pragma once
// Writes a package (layout in store/PackageFormat.h) straight into a file,
// one member after another, each read from a file of its own: whatever the
// members' sizes, the writer holds the encoder, a copy buffer and the
// directory, never a member. POSIX only (the packer's own build).
//
// A member is stored as it is when the caller says so; otherwise it is
// compressed when that pays (compressionPays), which is found out by trying
// (the limits in Trial):
//   - a member of up to `wholeLimit` bytes is compressed, and stored
//     instead when its stream does not pay;
//   - a larger one is first tried on `slices` slices of `sliceSize` bytes
//     spread evenly over it, each compressed alone. When they do not
//     pay together, the member is stored without being compressed whole: a
//     stream's matches reach back kStreamDictionary bytes, so a slice four
//     times as long sees of its neighbourhood what the whole stream would.
//     When they pay, the member is compressed whole and still stored when
//     the whole stream does not pay.
// The same members always give the same bytes.

#include "store/PackageFormat.h"
#include "tools/lzpack/PackageDirectory.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nelvo {

// LZMA must save at least this share of a member for it to be compressed:
// below that, decoding at the literal coder's speed costs far more at
// install time than the few bytes it saves in the download.
inline constexpr unsigned kMinimumSavingPercent = 3;

// Whether `packed` bytes of a member's stream (property bytes included) are
// worth decoding instead of copying its `unpacked` bytes.
inline bool compressionPays(uint64_t packed, uint64_t unpacked) {
    return packed * 100 <= unpacked * (100 - kMinimumSavingPercent);
}

class PackageFileWriter {
public:
    // Writes from offset 0 of `out`, an empty file open for writing that
    // the caller owns and keeps open until finish().
    explicit PackageFileWriter(int out) : out_(out) {}

    // How a member's compression is tried; tests make the limits small.
    struct Trial {
        uint64_t wholeLimit = 16u << 20;
        unsigned slices = 8;
        size_t sliceSize = size_t(4) * package::kStreamDictionary;
    };
    PackageFileWriter(int out, Trial trial) : out_(out), trial_(trial) {}

    enum class Packing { Stored, Best };
    // Adds the `size` bytes at offset 0 of `in`, a regular file (read with
    // pread; its position is not used), under `name`. False with the
    // reason in `error` when reading or writing fails, the file is not
    // `size` bytes long, or the package would pass the 4 GiB its 32-bit
    // offsets can address. A member that fails leaves the package as it
    // was: more members may follow.
    bool add(std::u16string name, int in, uint64_t size, Packing packing, std::string& error);

    // Whether the last member added was compressed.
    bool lastCompressed() const { return !members_.empty() && members_.back().unpackedSize != 0; }

    // Writes the directory, the zero word and the scrambled offset.
    bool finish(std::string& error);

private:
    bool copyStored(int in, uint64_t size, std::string& error);
    bool probePays(int in, uint64_t size, std::string& error);

    int out_;
    Trial trial_;
    uint64_t end_ = 0;  // bytes written so far
    std::vector<PackageMember> members_;
};

} // namespace nelvo
