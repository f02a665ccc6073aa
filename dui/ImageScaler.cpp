#include "dui/ImageScaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace nelvo {
namespace {

// Weights are fixed point with 14 fraction bits and sum to exactly one on
// every target pixel, so a constant stays constant and an opaque image
// stays opaque. Between the passes each channel keeps 6 bits below the
// byte: at most 255 × 64 × 1.125 (the cubic's largest overshoot) fits an
// int16, and the second pass's sums stay far below 2^31.
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
        const int64_t lo = int64_t(std::ceil(centre - reach)), hi = int64_t(std::floor(centre + reach));
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
        fixed.assign(raw.size(), 0);
        int32_t sum = 0;
        size_t largest = 0;
        for (size_t k = 0; k < raw.size(); ++k) {
            fixed[k] = total != 0.0 ? int32_t(std::lround(raw[k] / total * kOne)) : 0;
            sum += fixed[k];
            if (fixed[k] > fixed[largest]) largest = k;
        }
        fixed[largest] += kOne - sum;
        // Zero weights at either end read nothing: a kept size becomes one
        // weight of exactly one per pixel, a plain copy.
        size_t begin = 0, end = fixed.size();
        while (begin < end && fixed[begin] == 0) ++begin;
        while (end > begin && fixed[end - 1] == 0) --end;
        taps.first[size_t(d)] = first + int32_t(begin);
        taps.count[size_t(d)] = int32_t(end - begin);
        taps.offset[size_t(d)] = int32_t(taps.weights.size());
        taps.weights.insert(taps.weights.end(), fixed.begin() + std::ptrdiff_t(begin), fixed.begin() + std::ptrdiff_t(end));
    }
    return taps;
}

// A sum of pass 1 kept between the passes. Only a shrink by a ratio so
// large that its rounded weights need a big correction could leave int16.
inline int16_t toMid(int32_t sum) {
    return int16_t(std::clamp((sum + (1 << (kFirstShift - 1))) >> kFirstShift, -32768, 32767));
}

inline int32_t toByte(int32_t sum) {
    return std::clamp((sum + (1 << (kSecondShift - 1))) >> kSecondShift, 0, 255);
}

} // namespace

bool scaleImage(const uint32_t* source, int32_t sourceStride, int32_t width, int32_t height, uint32_t* target,
                int32_t targetWidth, int32_t targetHeight) noexcept {
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

    try {
        const AxisTaps across = axisTaps(width, targetWidth);
        const AxisTaps down = axisTaps(height, targetHeight);
        const size_t rowValues = size_t(targetWidth) * 4;

        // Pass 1: every source row to the target width, channels B, G, R, A
        // with kMidBits below the byte.
        std::vector<int16_t> mid(size_t(height) * rowValues);
        for (int32_t y = 0; y < height; ++y) {
            const uint32_t* row = source + size_t(y) * size_t(sourceStride);
            int16_t* out = mid.data() + size_t(y) * rowValues;
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

        // Pass 2: the rows of pass 1 to the target height, then each pixel
        // clamped to a byte per channel and every colour to its alpha.
        std::vector<int32_t> sums(rowValues);
        for (int32_t y = 0; y < targetHeight; ++y) {
            std::fill(sums.begin(), sums.end(), 0);
            const int32_t* w = down.weights.data() + down.offset[size_t(y)];
            const int32_t first = down.first[size_t(y)];
            for (int32_t k = 0, n = down.count[size_t(y)]; k < n; ++k) {
                const int16_t* in = mid.data() + size_t(first + k) * rowValues;
                const int32_t weight = w[k];
                for (size_t i = 0; i < rowValues; ++i) sums[i] += weight * in[i];
            }
            uint32_t* out = target + size_t(y) * size_t(targetWidth);
            for (int32_t x = 0; x < targetWidth; ++x) {
                const int32_t* s = sums.data() + size_t(x) * 4;
                const int32_t a = toByte(s[3]);
                const int32_t r = std::min(toByte(s[2]), a), g = std::min(toByte(s[1]), a),
                              b = std::min(toByte(s[0]), a);
                out[x] = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace nelvo
