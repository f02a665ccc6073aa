#include "tools/lzpack/NewFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace nelvo {

bool writeAt(int fd, uint64_t offset, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        offset += uint64_t(n);
        size -= size_t(n);
    }
    return true;
}

NewFile::NewFile(std::filesystem::path target) : target_(std::move(target)) {
    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
    temporary_ = (folder / ".lzpack-XXXXXX").string();
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        temporary_.clear();
    }
}

NewFile::~NewFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool NewFile::failWith(int code) {
    error_ = std::strerror(code);
    return false;
}

bool NewFile::write(const void* data, size_t size) {
    if (fd_ < 0) return false;
    if (!writeAt(fd_, written_, data, size)) return failWith(errno);
    written_ += size;
    return true;
}

bool NewFile::rewind() {
    if (fd_ < 0) return false;
    if (::ftruncate(fd_, 0) != 0) return failWith(errno);
    written_ = 0;
    return true;
}

bool NewFile::commit() {
    if (fd_ < 0) return false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd_, 0644 & ~mask) != 0) return failWith(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) return failWith(errno);
    temporary_.clear();
    return true;
}

} // namespace nelvo
