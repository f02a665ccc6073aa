#include "store/LzmaDecoder.h"

#include <cstdlib>

extern "C" {
#include <LzmaDec.h>
}

namespace nelvo {

namespace {
// Counts what the decoder asks for, so that its footprint can be checked.
struct CountingAlloc : ISzAlloc {
    size_t total = 0;
};
void* allocCounted(void* self, size_t size) {
    static_cast<CountingAlloc*>(self)->total += size;
    return std::malloc(size);
}
void freeCounted(void*, void* address) { std::free(address); }
} // namespace

LzmaDecodeResult lzmaDecode(const uint8_t props[5], const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    SizeT destLen = outSize;
    SizeT srcLen = inSize;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    // LzmaDecode keeps its dictionary in `out` itself; only the probability
    // tables (a few KB for lc 3, lp 0) come from the heap.
    CountingAlloc alloc;
    alloc.Alloc = allocCounted;
    alloc.Free = freeCounted;
    const SRes res = LzmaDecode(out, &destLen, in, &srcLen, props, LZMA_PROPS_SIZE, LZMA_FINISH_ANY, &status, &alloc);
    LzmaDecodeResult r;
    r.scratch = alloc.total;
    r.produced = destLen;
    r.clean = res == SZ_OK && destLen == outSize;
    return r;
}

} // namespace nelvo
