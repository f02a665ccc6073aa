#include "host/LzmaDecoder.h"

#include <cstdlib>

extern "C" {
#include <LzmaDec.h>
}

namespace nelvo {

namespace {
void* allocProbs(void*, size_t size) { return std::malloc(size); }
void freeProbs(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {allocProbs, freeProbs};
} // namespace

LzmaDecodeResult lzmaDecode(const uint8_t props[5], const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    SizeT destLen = outSize;
    SizeT srcLen = inSize;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    // LzmaDecode keeps its dictionary in `out` itself; only the probability
    // tables (a few KB for lc 3, lp 0) come from the heap.
    const SRes res = LzmaDecode(out, &destLen, in, &srcLen, props, LZMA_PROPS_SIZE, LZMA_FINISH_ANY, &status, &g_alloc);
    LzmaDecodeResult r;
    r.produced = destLen;
    r.clean = res == SZ_OK && destLen == outSize;
    return r;
}

} // namespace nelvo
