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

namespace {

// The decoder's state and probability tables, freed with it.
struct Decoder {
    CountingAlloc alloc;
    CLzmaDec state;
    bool ready = false;

    explicit Decoder(const uint8_t props[5]) {
        alloc.Alloc = allocCounted;
        alloc.Free = freeCounted;
        LzmaDec_Construct(&state);
        ready = LzmaDec_AllocateProbs(&state, props, LZMA_PROPS_SIZE, &alloc) == SZ_OK;
    }
    ~Decoder() { LzmaDec_FreeProbs(&state, &alloc); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes the stream of `inSize` bytes at `offset` of `source` into the
    // dictionary `dic` of `dicSize` bytes until `outSize` bytes are out. A
    // dictionary shorter than the output is used as a ring: each time it is
    // full, and at the end, what it got since the last time goes to `sink`.
    LzmaDecodeResult run(const ByteSource& source, uint64_t offset, uint64_t inSize, uint8_t* dic, size_t dicSize,
                         size_t outSize, PieceSink* sink) {
        LzmaDecodeResult r;
        const std::unique_ptr<uint8_t[]> window(new (std::nothrow) uint8_t[kSourceWindow]);
        if (!ready || !window) return r;
        state.dic = dic;
        state.dicBufSize = dicSize;
        LzmaDec_Init(&state);
        SRes res = SZ_OK;
        bool taken = true;  // by the sink
        size_t held = 0, used = 0, produced = 0, handed = 0;
        uint64_t next = offset;
        const uint64_t end = offset + inSize;
        while (produced < outSize) {
            if (used == held) {
                // The decoder keeps a cut symbol's bytes itself: the window
                // is always taken whole.
                if (next == end) break;
                held = size_t(end - next < kSourceWindow ? end - next : kSourceWindow);
                if (!source.read(next, window.get(), held)) break;
                next += held;
                used = 0;
            }
            const size_t before = state.dicPos;
            const size_t limit = outSize - produced < dicSize - before ? before + (outSize - produced) : dicSize;
            SizeT count = held - used;
            ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
            res = LzmaDec_DecodeToDic(&state, limit, window.get() + used, &count, LZMA_FINISH_ANY, &status);
            used += count;
            produced += state.dicPos - before;
            if (sink && (state.dicPos == dicSize || produced == outSize)) {
                taken = sink->take(dic + handed, state.dicPos - handed);
                handed = state.dicPos;
                if (state.dicPos == dicSize) state.dicPos = handed = 0;
                if (!taken) break;
            }
            if (res != SZ_OK || status == LZMA_STATUS_FINISHED_WITH_MARK) break;
            // A call that takes nothing and gives nothing would be repeated
            // for ever.
            if (count == 0 && state.dicPos == before) break;
        }
        r.produced = produced;
        r.clean = res == SZ_OK && taken && produced == outSize;
        r.scratch = alloc.total;
        return r;
    }
};

} // namespace

LzmaDecodeResult lzmaDecode(const uint8_t props[5], const ByteSource& source, uint64_t offset, uint64_t inSize,
                            uint8_t* out, size_t outSize) {
    // As LzmaDecode does it: the output block is the dictionary.
    Decoder decoder(props);
    LzmaDecodeResult r = decoder.run(source, offset, inSize, out, outSize, outSize, nullptr);
    r.scratch = decoder.alloc.total;
    return r;
}

LzmaDecodeResult lzmaDecodeInPieces(const uint8_t props[5], const ByteSource& source, uint64_t offset,
                                    uint64_t inSize, size_t outSize, size_t window, PieceSink& sink) {
    const size_t size = window < outSize ? window : outSize;
    const std::unique_ptr<uint8_t[]> dic(new (std::nothrow) uint8_t[size ? size : 1]);
    Decoder decoder(props);
    if (!dic || !decoder.ready) return {};
    // The announced dictionary may be larger than the window: matches are
    // checked against the window instead, so that one reaching past it is
    // an error rather than bytes of the ring that were overwritten.
    decoder.state.prop.dicSize = uint32_t(size);
    LzmaDecodeResult r = decoder.run(source, offset, inSize, dic.get(), size, outSize, &sink);
    r.scratch = decoder.alloc.total;
    return r;
}

} // namespace nelvo
