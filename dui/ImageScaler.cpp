#include "dui/ImageScaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define NELVO_SCALER_SSE2 1
#endif

namespace nelvo {
namespace {

// Weights are fixed point with 14 fraction bits and sum to exactly one on
// every target pixel, so a constant stays constant and an opaque image
// stays opaque. Between the passes each channel keeps 6 bits below the
// byte: at most 255 × 64 × 1.125 (the cubic's largest overshoot) fits an
// int16, and the second pass's sums stay far below 2^31. The vector passes
// multiply int16 pairs (every weight fits one) and round, saturate and
// clamp exactly as the plain ones: both give the same pixels.
constexpr int kWeightBits = 14;
constexpr int32_t kOne = 1 << kWeightBits;
constexpr int kMidBits = 6;
constexpr int kFirstShift = kWeightBits - kMidBits;
constexpr int kSecondShift = kWeightBits + kMidBits;

// For each target pixel along one axis: the first source pixel it reads,
// how many, and where its weights start in `weights`.
struct AxisTaps {
    std::vector<int32_t> first, count, offset, weights;
};

double catmullRom(double t) {
    t = std::fabs(t);
    if (t < 1.0) return (1.5 * t - 2.5) * t * t + 1.0;
    if (t < 2.0) return ((-0.5 * t + 2.5) * t - 4.0) * t + 2.0;
    return 0.0;
}

double triangle(double t) { return std::max(0.0, 1.0 - std::fabs(t)); }

// Rounded down, inline (the library's rounding is slow on the x87); the
// values here are within a few pixels of a side's length.
int64_t floorOf(double v) {
    const int64_t truncated = int64_t(v);
    return double(truncated) > v ? truncated - 1 : truncated;
}

AxisTaps axisTaps(int32_t from, int32_t to) {
    AxisTaps taps;
    taps.first.resize(size_t(to));
    taps.count.resize(size_t(to));
    taps.offset.resize(size_t(to));
    const double ratio = double(from) / double(to);
    const bool grows = to > from;
    // The kernel's reach in source pixels, and the scale of its argument.
    const double reach = grows ? 2.0 : ratio;
    const double widen = grows ? 1.0 : ratio;
    std::vector<double> raw;
    std::vector<int32_t> fixed;
    for (int32_t d = 0; d < to; ++d) {
        // The target pixel's centre in source coordinates.
        const double centre = (d + 0.5) * ratio - 0.5;
        const int64_t lo = -floorOf(reach - centre), hi = floorOf(centre + reach);
        const int32_t first = int32_t(std::clamp<int64_t>(lo, 0, from - 1));
        const int32_t last = int32_t(std::clamp<int64_t>(hi, 0, from - 1));
        raw.assign(size_t(last - first + 1), 0.0);
        double total = 0.0;
        for (int64_t i = lo; i <= hi; ++i) {
            const double w = grows ? catmullRom((double(i) - centre) / widen) : triangle((double(i) - centre) / widen);
            // Outside the rectangle the edge pixel stands in.
            raw[size_t(std::clamp<int64_t>(i, 0, from - 1) - first)] += w;
            total += w;
        }
        if (!(total > 0.0)) {  // not for these kernels: the nearest pixel always counts
            raw.assign(raw.size(), 0.0);
            raw[0] = total = 1.0;
        }
        // Rounded along the running sum: the weights add up to exactly one,
        // each is within one step of its exact value, and a kernel that is
        // never negative gives no negative weight. So every weight fits an
        // int16 and no sum of a pass can overflow.
        fixed.assign(raw.size(), 0);
        double running = 0.0;
        int32_t before = 0;
        for (size_t k = 0; k < raw.size(); ++k) {
            running += raw[k] / total;
            const int32_t upTo = k + 1 == raw.size() ? kOne : int32_t(floorOf(running * kOne + 0.5));
            fixed[k] = upTo - before;
            before = upTo;
        }
        // Zero weights at either end read nothing: a kept size becomes one
        // weight of exactly one per pixel, a plain copy.
        size_t begin = 0, end = fixed.size();
        while (begin < end && fixed[begin] == 0) ++begin;
        while (end > begin && fixed[end - 1] == 0) --end;
        taps.first[size_t(d)] = first + int32_t(begin);
        taps.count[size_t(d)] = int32_t(end - begin);
        taps.offset[size_t(d)] = int32_t(taps.weights.size());
        taps.weights.insert(taps.weights.end(), fixed.begin() + std::ptrdiff_t(begin),
                            fixed.begin() + std::ptrdiff_t(end));
    }
    return taps;
}

// A sum of pass 1 kept between the passes (saturated as the vector pass
// packs it; the weights keep it inside anyway).
inline int16_t toMid(int32_t sum) {
    return int16_t(std::clamp((sum + (1 << (kFirstShift - 1))) >> kFirstShift, -32768, 32767));
}

inline int32_t toByte(int32_t sum) {
    return std::clamp((sum + (1 << (kSecondShift - 1))) >> kSecondShift, 0, 255);
}

// Pass 1 on one source row: to the target width, channels B, G, R, A with
// kMidBits below the byte.
void acrossRow(const uint32_t* row, const AxisTaps& across, int32_t targetWidth, int16_t* out) {
    for (int32_t x = 0; x < targetWidth; ++x) {
        const int32_t* w = across.weights.data() + across.offset[size_t(x)];
        const uint32_t* p = row + across.first[size_t(x)];
        int32_t b = 0, g = 0, r = 0, a = 0;
        for (int32_t k = 0, n = across.count[size_t(x)]; k < n; ++k) {
            const uint32_t v = p[k];
            b += w[k] * int32_t(v & 0xFF);
            g += w[k] * int32_t((v >> 8) & 0xFF);
            r += w[k] * int32_t((v >> 16) & 0xFF);
            a += w[k] * int32_t(v >> 24);
        }
        out[x * 4 + 0] = toMid(b);
        out[x * 4 + 1] = toMid(g);
        out[x * 4 + 2] = toMid(r);
        out[x * 4 + 3] = toMid(a);
    }
}

// Pass 2 for one target row: the weighted rows of pass 1, then each pixel
// clamped to a byte per channel and every colour to its alpha.
void downRow(const int16_t* const* rows, const int32_t* w, int32_t n, size_t rowValues, int32_t* sums,
             uint32_t* out) {
    std::fill(sums, sums + rowValues, 0);
    for (int32_t k = 0; k < n; ++k) {
        const int16_t* in = rows[k];
        const int32_t weight = w[k];
        for (size_t i = 0; i < rowValues; ++i) sums[i] += weight * in[i];
    }
    for (size_t x = 0; x < rowValues / 4; ++x) {
        const int32_t* s = sums + x * 4;
        const int32_t a = toByte(s[3]);
        const int32_t r = std::min(toByte(s[2]), a), g = std::min(toByte(s[1]), a), b = std::min(toByte(s[0]), a);
        out[x] = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    }
}

#ifdef NELVO_SCALER_SSE2
// Two weights side by side, for _mm_madd_epi16 over interleaved values.
__attribute__((target("sse2"))) inline __m128i weightPair(int32_t first, int32_t second) {
    return _mm_set1_epi32(int32_t(uint32_t(second) << 16 | (uint32_t(first) & 0xFFFF)));
}

// Eight values of a pass-1 row, or four with zeros above them.
__attribute__((target("sse2"))) inline __m128i loadValues(const int16_t* at, bool eight) {
    return eight ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(at))
                 : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("sse2"))) void acrossRowSse2(const uint32_t* row, const AxisTaps& across,
                                                   int32_t targetWidth, int16_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(1 << (kFirstShift - 1));
    for (int32_t x = 0; x < targetWidth; ++x) {
        const int32_t* w = across.weights.data() + across.offset[size_t(x)];
        const uint32_t* p = row + across.first[size_t(x)];
        const int32_t n = across.count[size_t(x)];
        __m128i sum = zero;
        int32_t k = 0;
        for (; k + 1 < n; k += 2) {
            // Two pixels as int16: b0 g0 r0 a0 b1 g1 r1 a1, interleaved to
            // b0 b1 g0 g1 r0 r1 a0 a1 for one multiply-add per channel.
            const __m128i wide = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + k)), zero);
            const __m128i pairs = _mm_unpacklo_epi16(wide, _mm_unpackhi_epi64(wide, wide));
            sum = _mm_add_epi32(sum, _mm_madd_epi16(pairs, weightPair(w[k], w[k + 1])));
        }
        if (k < n) {
            const __m128i wide = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(p[k])), zero);
            sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(wide, zero), weightPair(w[k], 0)));
        }
        sum = _mm_srai_epi32(_mm_add_epi32(sum, half), kFirstShift);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x * 4), _mm_packs_epi32(sum, sum));
    }
}

__attribute__((target("sse2"))) void downRowSse2(const int16_t* const* rows, const int32_t* w, int32_t n,
                                                 size_t rowValues, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(1 << (kSecondShift - 1));
    // Eight values (two pixels) at a time; the last pixel of an odd row
    // alone, its upper half of zeros never stored.
    for (size_t i = 0; i < rowValues; i += 8) {
        const bool whole = i + 8 <= rowValues;
        __m128i low = zero, high = zero;
        int32_t k = 0;
        for (; k + 1 < n; k += 2) {
            const __m128i a = loadValues(rows[k] + i, whole), b = loadValues(rows[k + 1] + i, whole);
            const __m128i weights = weightPair(w[k], w[k + 1]);
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weights));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weights));
        }
        if (k < n) {
            const __m128i a = loadValues(rows[k] + i, whole);
            const __m128i weights = weightPair(w[k], 0);
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, zero), weights));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, zero), weights));
        }
        low = _mm_srai_epi32(_mm_add_epi32(low, half), kSecondShift);
        high = _mm_srai_epi32(_mm_add_epi32(high, half), kSecondShift);
        const __m128i packed = _mm_packs_epi32(low, high);
        __m128i bytes = _mm_packus_epi16(packed, packed);
        // Each colour at most its alpha: the alpha byte copied to all four.
        __m128i alpha = _mm_srli_epi32(bytes, 24);
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
        bytes = _mm_min_epu8(bytes, alpha);
        if (whole)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i / 4), bytes);
        else
            out[i / 4] = uint32_t(_mm_cvtsi128_si32(bytes));
    }
}

bool hasSse2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return has;
}
#endif

bool scale(const uint32_t* source, int32_t sourceStride, int32_t width, int32_t height, uint32_t* target,
           int32_t targetWidth, int32_t targetHeight, bool vector) noexcept {
    if (!source || !target || width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0) return false;
    if (sourceStride < width) return false;
    if (width > kMaxScaledSide || height > kMaxScaledSide || targetWidth > kMaxScaledSide ||
        targetHeight > kMaxScaledSide)
        return false;
    if (int64_t(targetWidth) * targetHeight > kMaxScaledPixels || int64_t(height) * targetWidth > kMaxScaledPixels)
        return false;

    if (width == targetWidth && height == targetHeight) {
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(target + size_t(y) * size_t(width), source + size_t(y) * size_t(sourceStride),
                        size_t(width) * sizeof(uint32_t));
        return true;
    }
#ifndef NELVO_SCALER_SSE2
    vector = false;
#endif

    try {
        const AxisTaps across = axisTaps(width, targetWidth);
        const AxisTaps down = axisTaps(height, targetHeight);
        const size_t rowValues = size_t(targetWidth) * 4;
        // Pass 1 makes each source row as pass 2 first reads it, into a ring
        // just deep enough for the rows any target row reads together with
        // those made before it: a few rows, whatever the image's height.
        int32_t depth = 1;
        for (int32_t y = 0, reached = -1; y < targetHeight; ++y) {
            reached = std::max(reached, down.first[size_t(y)] + down.count[size_t(y)] - 1);
            depth = std::max(depth, reached - down.first[size_t(y)] + 1);
        }
        std::vector<int16_t> ring(size_t(depth) * rowValues);
        std::vector<int32_t> sums(vector ? 0 : rowValues);
        std::vector<const int16_t*> rows;
        int32_t made = 0;  // source rows through pass 1 so far

        for (int32_t y = 0; y < targetHeight; ++y) {
            const int32_t first = down.first[size_t(y)], n = down.count[size_t(y)];
            // Pass 1: the source rows up to the last this row reads, to the
            // target width.
            for (; made < first + n; ++made) {
                const uint32_t* row = source + size_t(made) * size_t(sourceStride);
                int16_t* out = ring.data() + size_t(made % depth) * rowValues;
#ifdef NELVO_SCALER_SSE2
                if (vector) {
                    acrossRowSse2(row, across, targetWidth, out);
                    continue;
                }
#endif
                acrossRow(row, across, targetWidth, out);
            }
            // Pass 2: those rows to this target row.
            rows.resize(size_t(n));
            for (int32_t k = 0; k < n; ++k) rows[size_t(k)] = ring.data() + size_t((first + k) % depth) * rowValues;
            const int32_t* w = down.weights.data() + down.offset[size_t(y)];
            uint32_t* out = target + size_t(y) * size_t(targetWidth);
#ifdef NELVO_SCALER_SSE2
            if (vector) {
                downRowSse2(rows.data(), w, n, rowValues, out);
                continue;
            }
#endif
            downRow(rows.data(), w, n, rowValues, sums.data(), out);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

bool scaleImage(const uint32_t* source, int32_t sourceStride, int32_t width, int32_t height, uint32_t* target,
                int32_t targetWidth, int32_t targetHeight) noexcept {
#ifdef NELVO_SCALER_SSE2
    const bool vector = hasSse2();
#else
    const bool vector = false;
#endif
    return scale(source, sourceStride, width, height, target, targetWidth, targetHeight, vector);
}

bool scaleImagePortable(const uint32_t* source, int32_t sourceStride, int32_t width, int32_t height,
                        uint32_t* target, int32_t targetWidth, int32_t targetHeight) noexcept {
    return scale(source, sourceStride, width, height, target, targetWidth, targetHeight, false);
}

} // namespace nelvo
