#pragma once
// Resampling premultiplied 32-bit pixels: the skin's images drawn at a
// scale other than 96 DPI are made once at their device size from here, so
// GDI never stretches them.
//
// Pixels are BGRA in one uint32 each (blue in the low byte, alpha in the
// high one), premultiplied: every colour at most its alpha. The filter is
// separable, one axis after the other. An axis that grows uses the
// Catmull-Rom cubic, which keeps edges sharp; an axis that shrinks uses a
// triangle widened by the ratio, so every source pixel under a target one
// counts. Only pixels inside the source rectangle are read: beyond its edges
// the nearest edge pixel stands in, so the next frame of a strip or the next
// piece of a nine-grid never bleeds in. Results are clamped to valid
// premultiplied values; an axis whose size does not change is copied
// exactly along it. Integer arithmetic only: the same pixels on every build.
// No operating system, no shared state: any thread.

#include <cstdint>

namespace nelvo {

// The largest side of a source or target, and the most pixels of a target
// (and of the work between the two passes: source height × target width).
inline constexpr int32_t kMaxScaledSide = 1 << 16;
inline constexpr int64_t kMaxScaledPixels = int64_t(1) << 24;

// Scales the source rectangle, `width` × `height` pixels whose rows start
// `sourceStride` pixels apart from `source`, to `targetWidth` ×
// `targetHeight` pixels written to `target`, rows `targetWidth` apart.
// False, with nothing written, when a size is not positive, the stride is
// shorter than a row, a side exceeds kMaxScaledSide, a pixel count exceeds
// kMaxScaledPixels, or memory for the work runs out.
// Uses the processor's vector unit (SSE2) where it has one.
bool scaleImage(const uint32_t* source, int32_t sourceStride, int32_t width, int32_t height, uint32_t* target,
                int32_t targetWidth, int32_t targetHeight) noexcept;
// The same without the vector unit, as a processor without one scales:
// the same pixels, more slowly. The reference the vector code is tested
// against.
bool scaleImagePortable(const uint32_t* source, int32_t sourceStride, int32_t width, int32_t height,
                        uint32_t* target, int32_t targetWidth, int32_t targetHeight) noexcept;

} // namespace nelvo
