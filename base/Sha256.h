#pragma once
// SHA-256 (FIPS 180-4), for the build's digests of the program's resources
// and their check at start-up. Free of any operating system.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nelvo {

class Sha256 {
public:
    using Digest = std::array<uint8_t, 32>;

    Sha256();
    // Adds bytes; may be called any number of times.
    void update(const void* data, size_t size);
    // The digest of everything added. The object is spent afterwards.
    Digest finish();

    static Digest of(const void* data, size_t size) {
        Sha256 h;
        h.update(data, size);
        return h.finish();
    }

private:
    void block(const uint8_t* p);

    uint32_t state_[8];
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint64_t length_ = 0;  // bytes added
};

} // namespace nelvo
