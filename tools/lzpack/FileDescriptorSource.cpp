#include "tools/lzpack/FileDescriptorSource.h"

#include <unistd.h>

#include <cerrno>

namespace nelvo {

bool FileDescriptorSource::read(uint64_t offset, void* out, size_t count) const {
    if (offset > size_ || count > size_ - offset) return false;
    auto* p = static_cast<uint8_t*>(out);
    while (count > 0) {
        const ssize_t n = ::pread(fd_, p, count, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        // A file that became shorter than it was is unreadable here.
        if (n <= 0) return false;
        p += n;
        offset += uint64_t(n);
        count -= size_t(n);
    }
    return true;
}

} // namespace nelvo
