#pragma once
// 32-bit layout arithmetic. Sums and differences wrap around like the
// machine's 32-bit registers instead of being undefined on overflow, so a
// hostile margin or size in markup gives odd bounds, never undefined
// behaviour. Division truncates toward zero.

#include <cstdint>

namespace nelvo::layout {

inline int32_t add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t max(int32_t a, int32_t b) { return a > b ? a : b; }

// Offered on an axis that is not bounded.
inline constexpr int32_t kUnbounded = 65536;

} // namespace nelvo::layout
