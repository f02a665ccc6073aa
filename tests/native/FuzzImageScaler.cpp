// libFuzzer target: the image resampler. The first four bytes give the
// source and target sizes, the rest the source pixels, premultiplied or
// not. A kept size is an exact copy; any other result is a valid
// premultiplied pixel, the same with and without the vector unit; nothing
// outside either buffer is touched (the sanitizers see the buffers' ends).

#include "dui/ImageScaler.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const int32_t width = data[0] % 48 + 1, height = data[1] % 48 + 1;
    const int32_t targetWidth = data[2] % 160 + 1, targetHeight = data[3] % 160 + 1;
    data += 4;
    size -= 4;
    std::vector<uint32_t> source(size_t(width) * size_t(height));
    for (size_t i = 0; i < source.size() * 4 && size > 0; ++i)
        source[i / 4] |= uint32_t(data[i % size]) << (8 * (i % 4));
    std::vector<uint32_t> target(size_t(targetWidth) * size_t(targetHeight));
    if (!nelvo::scaleImage(source.data(), width, width, height, target.data(), targetWidth, targetHeight))
        __builtin_trap();
    if (width == targetWidth && height == targetHeight) {
        if (target != source) __builtin_trap();
        return 0;
    }
    for (const uint32_t p : target) {
        const uint32_t a = p >> 24;
        if (((p >> 16) & 0xFF) > a || ((p >> 8) & 0xFF) > a || (p & 0xFF) > a) __builtin_trap();
    }
    // The vector code and the plain one agree to the bit.
    std::vector<uint32_t> portable(target.size());
    if (!nelvo::scaleImagePortable(source.data(), width, width, height, portable.data(), targetWidth, targetHeight) ||
        portable != target)
        __builtin_trap();
    return 0;
}
