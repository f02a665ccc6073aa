#pragma once
// Raw LZMA1 encoding for the packer: the best ratio the encoder offers, the
// properties byte 0x5D and a dictionary announced as 64 MiB, no end marker.
// Single-threaded, so the same input always gives the same bytes, whether it
// is encoded from memory or a piece at a time.

#include "store/PackageFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace nelvo {

// The 5 property bytes followed by the raw stream, or nothing when the
// encoder fails (out of memory). Matches reach back at most `dictionary`
// bytes; the properties announce 64 MiB whatever it is.
std::optional<std::vector<uint8_t>> lzmaEncode(std::string_view data,
                                               uint32_t dictionary = package::kStreamDictionary);

// Where the streaming encoder takes its input from and puts its output.
class EncoderInput {
public:
    // Fills `out` with up to `size` bytes of the input; 0 at its end. False
    // on a read error, which ends the encoding as a failure.
    virtual bool read(uint8_t* out, size_t& size) = 0;

protected:
    ~EncoderInput() = default;
};
class EncoderOutput {
public:
    // Takes `size` bytes of the output; false stops the encoding.
    virtual bool write(const uint8_t* data, size_t size) = 0;

protected:
    ~EncoderOutput() = default;
};

// The same bytes as lzmaEncode() gives for the `size` bytes that `in`
// yields, handed to `out` a piece at a time: the encoder holds its
// dictionary and a few buffers of its own, never the whole input or output.
// False when reading, writing or the encoder fails, or the input does not
// yield exactly `size` bytes.
bool lzmaEncodeStream(EncoderInput& in, uint64_t size, EncoderOutput& out,
                      uint32_t dictionary = package::kStreamDictionary);

} // namespace nelvo
