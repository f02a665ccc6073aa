#pragma once
// A package read from an open file a piece at a time (pread), so that the
// packer lists, checks and extracts a package of any size without holding
// it. POSIX only (the packer's own build).

#include "store/ByteSource.h"

#include <cstdint>

namespace nelvo {

class FileDescriptorSource final : public ByteSource {
public:
    // Reads the first `size` bytes of `fd`, which the caller keeps open as
    // long as the source.
    FileDescriptorSource(int fd, uint64_t size) : fd_(fd), size_(size) {}

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t count) const override;

private:
    int fd_;
    uint64_t size_;
};

} // namespace nelvo
