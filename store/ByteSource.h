#pragma once
// Where a package's bytes come from: a block in memory, or a range of a file
// read a piece at a time (store/FileRangeSource.h), so that a large package
// need not be resident to be checked and extracted. Free of any operating
// system.
//
// Threads: read() may be called from several threads at once.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace nelvo {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual uint64_t size() const = 0;
    // Copies `count` bytes starting at `offset` to `out`. False when any of
    // them lies outside the source or cannot be read; `out` is then
    // undefined.
    virtual bool read(uint64_t offset, void* out, size_t count) const = 0;
    // The bytes themselves when the source holds them in memory, else null.
    virtual const uint8_t* memory() const { return nullptr; }
};

// A block in memory that the caller keeps alive as long as the source.
class MemorySource final : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t count) const override {
        if (offset > size_ || count > size_ - offset) return false;
        if (count) std::memcpy(out, data_ + offset, count);
        return true;
    }
    const uint8_t* memory() const override { return data_; }

private:
    const uint8_t* data_;
    size_t size_;
};

// Bytes that every copy from a source goes through at most: large enough
// that the calls cost nothing next to decoding, small enough not to count
// in the working set.
inline constexpr size_t kSourceWindow = 64 * 1024;

} // namespace nelvo
