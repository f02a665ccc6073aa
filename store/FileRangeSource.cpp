#include "store/FileRangeSource.h"

#include <windows.h>

namespace nelvo {

std::unique_ptr<FileRangeSource> FileRangeSource::open(const wchar_t* path) {
    UniqueFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_RANDOM_ACCESS, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
    return std::unique_ptr<FileRangeSource>(new FileRangeSource(std::move(file), uint64_t(size.QuadPart)));
}

bool FileRangeSource::narrow(uint64_t offset, uint64_t size) {
    if (offset > fileSize_ || size > fileSize_ - offset) return false;
    offset_ = offset;
    size_ = size;
    return true;
}

bool FileRangeSource::read(uint64_t offset, void* out, size_t count) const {
    if (offset > size_ || count > size_ - offset) return false;
    auto* to = static_cast<uint8_t*>(out);
    uint64_t at = offset_ + offset;
    while (count > 0) {
        // Each read names its own offset, so threads reading at once do not
        // move each other's position.
        OVERLAPPED where{};
        where.Offset = DWORD(at);
        where.OffsetHigh = DWORD(at >> 32);
        const DWORD ask = count < (1u << 30) ? DWORD(count) : DWORD(1u << 30);
        DWORD got = 0;
        if (!ReadFile(file_.get(), to, ask, &got, &where) || got == 0) return false;
        to += got;
        at += got;
        count -= got;
    }
    return true;
}

} // namespace nelvo
