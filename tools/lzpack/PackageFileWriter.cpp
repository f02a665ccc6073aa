#include "tools/lzpack/PackageFileWriter.h"

#include "tools/lzpack/LzmaEncoder.h"
#include "tools/lzpack/NewFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace nelvo {

using namespace package;

namespace {

constexpr size_t kCopyBuffer = 1u << 20;
constexpr uint64_t kPackageLimit = UINT32_MAX;

// Reads exactly `size` bytes at `offset` of `fd`; false at a read error or
// an early end of the file.
bool readAt(int fd, uint64_t offset, uint8_t* out, size_t size) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        offset += uint64_t(n);
        size -= size_t(n);
    }
    return true;
}

// The member's bytes for the encoder, from offset 0 of its file.
class FileInput final : public EncoderInput {
public:
    FileInput(int fd, uint64_t size) : fd_(fd), size_(size) {}
    bool read(uint8_t* out, size_t& size) override {
        for (;;) {
            const ssize_t n = ::pread(fd_, out, size, off_t(at_));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            size = size_t(n);
            at_ += uint64_t(n);
            // A file that grew since it was measured is not the member any more.
            return at_ <= size_;
        }
    }

private:
    int fd_;
    uint64_t size_;
    uint64_t at_ = 0;
};

// The stream into the package, gathered in a buffer and written at the
// package's end; refuses to pass the package's 4 GiB.
class PackageOutput final : public EncoderOutput {
public:
    PackageOutput(int fd, uint64_t at) : fd_(fd), at_(at), buffer_(new uint8_t[kCopyBuffer]) {}
    bool write(const uint8_t* data, size_t size) override {
        if (at_ + used_ + size > kPackageLimit) {
            tooLarge_ = true;
            return false;
        }
        while (size > 0) {
            const size_t n = std::min(size, kCopyBuffer - used_);
            std::memcpy(buffer_.get() + used_, data, n);
            used_ += n;
            data += n;
            size -= n;
            if (used_ == kCopyBuffer && !flush()) return false;
        }
        return true;
    }
    bool flush() {
        if (!writeAt(fd_, at_, buffer_.get(), used_)) return false;
        at_ += used_;
        used_ = 0;
        return true;
    }
    uint64_t end() const { return at_ + used_; }
    bool tooLarge() const { return tooLarge_; }

private:
    int fd_;
    uint64_t at_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t used_ = 0;
    bool tooLarge_ = false;
};

// Counts a stream's bytes without keeping them.
class CountingOutput final : public EncoderOutput {
public:
    bool write(const uint8_t*, size_t size) override {
        count += size;
        return true;
    }
    uint64_t count = 0;
};

class SliceInput final : public EncoderInput {
public:
    SliceInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool read(uint8_t* out, size_t& size) override {
        size = std::min(size, size_ - at_);
        std::memcpy(out, data_ + at_, size);
        at_ += size;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace

bool PackageFileWriter::probePays(int in, uint64_t size, std::string& error) {
    const size_t sliceSize = trial_.sliceSize;
    std::unique_ptr<uint8_t[]> slice(new uint8_t[sliceSize]);
    uint64_t sampled = 0, packed = 0;
    for (unsigned i = 0; i < trial_.slices; ++i) {
        const uint64_t at = trial_.slices > 1 ? (size - sliceSize) * i / (trial_.slices - 1) : 0;
        if (!readAt(in, at, slice.get(), sliceSize)) {
            error = "cannot read (the file changed while it was packed?)";
            return false;
        }
        SliceInput input(slice.get(), sliceSize);
        CountingOutput counted;
        if (!lzmaEncodeStream(input, sliceSize, counted)) {
            error = "the encoder failed (out of memory?)";
            return false;
        }
        sampled += sliceSize;
        packed += counted.count;
    }
    return compressionPays(packed, sampled);
}

bool PackageFileWriter::copyStored(int in, uint64_t size, std::string& error) {
    uint64_t at = 0;
    // The kernel copies between the files without the bytes passing
    // through here where it can; a plain copy otherwise.
    while (at < size) {
        off_t from = off_t(at), to = off_t(end_ + at);
        const ssize_t n = ::copy_file_range(in, &from, out_, &to, size_t(std::min<uint64_t>(size - at, 1u << 30)), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        at += uint64_t(n);
    }
    std::unique_ptr<uint8_t[]> buffer;
    while (at < size) {
        if (!buffer) buffer.reset(new uint8_t[kCopyBuffer]);
        const size_t n = size_t(std::min<uint64_t>(size - at, kCopyBuffer));
        if (!readAt(in, at, buffer.get(), n)) {
            error = "cannot read (the file changed while it was packed?)";
            return false;
        }
        if (!writeAt(out_, end_ + at, buffer.get(), n)) {
            error = std::string("cannot write the package: ") + std::strerror(errno);
            return false;
        }
        at += n;
    }
    return true;
}

bool PackageFileWriter::add(std::u16string name, int in, uint64_t size, Packing packing, std::string& error) {
    if (size > kPackageLimit || end_ + size > kPackageLimit) {
        error = "the package would pass 4 GiB";
        return false;
    }
    PackageMember m{std::move(name), uint32_t(end_), uint32_t(size), 0};

    // An empty member is stored: its unpacked size of 0 would read as
    // "stored" anyway.
    bool compress = packing == Packing::Best && size != 0;
    // The slices fit in the member: wholeLimit is at least their size.
    if (compress && size > std::max<uint64_t>(trial_.wholeLimit, trial_.sliceSize)) {
        compress = probePays(in, size, error);
        if (!error.empty()) return false;
    }
    if (compress) {
        FileInput input(in, size);
        PackageOutput output(out_, end_);
        if (!lzmaEncodeStream(input, size, output) || !output.flush()) {
            if (output.tooLarge()) {
                error = "the package would pass 4 GiB";
            } else {
                error = "cannot compress (the file changed while it was packed, the encoder or a write failed)";
            }
            return false;
        }
        const uint64_t packed = output.end() - end_;
        if (compressionPays(packed, size)) {
            m.packedSize = uint32_t(packed);
            m.unpackedSize = uint32_t(size);
        } else {
            compress = false;
        }
    }
    if (!compress) {
        if (!copyStored(in, size, error)) return false;
    }
    end_ += m.packedSize;
    // A stream that did not pay may have run past the stored copy.
    if (::ftruncate(out_, off_t(end_)) != 0) {
        error = std::string("cannot write the package: ") + std::strerror(errno);
        return false;
    }
    members_.push_back(std::move(m));
    return true;
}

bool PackageFileWriter::finish(std::string& error) {
    const std::vector<uint8_t> tail = packageDirectory(members_, uint32_t(end_));
    if (end_ + tail.size() > kPackageLimit) {
        error = "the package would pass 4 GiB";
        return false;
    }
    if (!writeAt(out_, end_, tail.data(), tail.size())) {
        error = std::string("cannot write the package: ") + std::strerror(errno);
        return false;
    }
    end_ += tail.size();
    // A member that failed may have left bytes past the end.
    if (::ftruncate(out_, off_t(end_)) != 0) {
        error = std::string("cannot write the package: ") + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace nelvo
