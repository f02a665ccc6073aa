#pragma once
// Raw LZMA1 decoding straight into the caller's output block, which doubles
// as the dictionary: the dictionary size announced in the properties is never
// reserved; or through a window of a given size, a piece at a time. Free of
// any operating system.

#include "store/ByteSource.h"

#include <cstddef>
#include <cstdint>

namespace nelvo {

struct LzmaDecodeResult {
    size_t produced = 0;  // bytes written to the output
    bool clean = false;   // no data error and the output limit was reached
    size_t scratch = 0;   // bytes the decoder took from the heap besides `out`
};

// Decodes the raw stream `in` with the 5 property bytes `props` until
// `outSize` bytes are produced or the input ends. An end marker is accepted
// but not required.
LzmaDecodeResult lzmaDecode(const uint8_t props[5], const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

// The same, the stream being the `inSize` bytes at `offset` of `source`,
// read kSourceWindow bytes at a time into a buffer of the decoder's own. A
// read that fails ends the input there.
LzmaDecodeResult lzmaDecode(const uint8_t props[5], const ByteSource& source, uint64_t offset, uint64_t inSize,
                            uint8_t* out, size_t outSize);

// Takes decoded bytes a piece at a time, in order.
class PieceSink {
public:
    // False stops the decoding.
    virtual bool take(const uint8_t* data, size_t size) = 0;

protected:
    ~PieceSink() = default;
};

// The same, the output going to `sink` instead of into one block: decoded
// into a window of `window` bytes (fewer for a shorter output), which is
// handed over each time it is full and at the end. The stream must have
// been made with a dictionary no larger than the window: a match that
// reaches further back fails as damaged data (never as wrong bytes). Clean
// only when all `outSize` bytes reached the sink.
LzmaDecodeResult lzmaDecodeInPieces(const uint8_t props[5], const ByteSource& source, uint64_t offset,
                                    uint64_t inSize, size_t outSize, size_t window, PieceSink& sink);

} // namespace nelvo
