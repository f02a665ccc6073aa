#pragma once
// A range of a file, read through one handle that nobody can write the file
// through while it is open: the bytes read now and the bytes read later are
// the same bytes. Windows build only.

#include "base/UniqueHandle.h"
#include "store/ByteSource.h"

#include <memory>

namespace nelvo {

class FileRangeSource final : public ByteSource {
public:
    // Opens `path` for reading, shared with readers only: a file that
    // anyone has open for writing is not opened, and while the source
    // lives nobody can open it for writing or delete it. The range is the
    // whole file. Null when the file cannot be opened so.
    static std::unique_ptr<FileRangeSource> open(const wchar_t* path);

    uint64_t fileSize() const { return fileSize_; }
    // The range becomes the `size` bytes at `offset` of the file. False,
    // and the range unchanged, when they do not lie inside the file.
    bool narrow(uint64_t offset, uint64_t size);

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t count) const override;

private:
    FileRangeSource(UniqueFileHandle file, uint64_t fileSize)
        : file_(std::move(file)), fileSize_(fileSize), size_(fileSize) {}

    UniqueFileHandle file_;
    uint64_t fileSize_;
    uint64_t offset_ = 0;
    uint64_t size_;
};

} // namespace nelvo
