#include "store/LzmaDecoder.h"

#include <cstdlib>
#include <memory>
#include <new>

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

LzmaDecodeResult lzmaDecode(const uint8_t props[5], const ByteSource& source, uint64_t offset, uint64_t inSize,
                            uint8_t* out, size_t outSize) {
    LzmaDecodeResult r;
    CountingAlloc alloc;
    alloc.Alloc = allocCounted;
    alloc.Free = freeCounted;
    const std::unique_ptr<uint8_t[]> window(new (std::nothrow) uint8_t[kSourceWindow]);
    if (!window) return r;
    CLzmaDec decoder;
    LzmaDec_Construct(&decoder);
    if (LzmaDec_AllocateProbs(&decoder, props, LZMA_PROPS_SIZE, &alloc) != SZ_OK) return r;
    // As LzmaDecode does it: the output block is the dictionary.
    decoder.dic = out;
    decoder.dicBufSize = outSize;
    LzmaDec_Init(&decoder);
    SRes res = SZ_OK;
    size_t held = 0, used = 0;
    uint64_t next = offset;
    const uint64_t end = offset + inSize;
    while (decoder.dicPos < outSize) {
        if (used == held) {
            // The decoder keeps a cut symbol's bytes itself: the window is
            // always taken whole.
            if (next == end) break;
            held = size_t(end - next < kSourceWindow ? end - next : kSourceWindow);
            if (!source.read(next, window.get(), held)) break;
            next += held;
            used = 0;
        }
        SizeT taken = held - used;
        const SizeT before = decoder.dicPos;
        ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
        res = LzmaDec_DecodeToDic(&decoder, outSize, window.get() + used, &taken, LZMA_FINISH_ANY, &status);
        used += taken;
        if (res != SZ_OK || status == LZMA_STATUS_FINISHED_WITH_MARK) break;
        // A call that takes nothing and gives nothing would be repeated for
        // ever.
        if (taken == 0 && decoder.dicPos == before) break;
    }
    r.produced = decoder.dicPos;
    r.clean = res == SZ_OK && decoder.dicPos == outSize;
    LzmaDec_FreeProbs(&decoder, &alloc);
    r.scratch = alloc.total;
    return r;
}

} // namespace nelvo
