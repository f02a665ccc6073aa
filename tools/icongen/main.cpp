// icongen OUT.ico: draws the program's icon (a rounded blue tile with a
// camera lens) at 16, 24, 32, 48 and 64 pixels into one icon file.
// Deterministic: the same program always writes the same bytes.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

// Straight-alpha "over".
Rgba over(Rgba dst, Rgba src) {
    const double a = src.a + dst.a * (1 - src.a);
    if (a <= 0) return {0, 0, 0, 0};
    auto mix = [&](double s, double d) { return (s * src.a + d * dst.a * (1 - src.a)) / a; };
    return {mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), a};
}

// Coverage of the shapes at one point of the unit square.
Rgba shade(double x, double y) {
    Rgba c{0, 0, 0, 0};
    // Rounded tile with a vertical gradient.
    const double r = 0.2, m = 0.04;
    const double dx = std::fmax(std::fmax(m + r - x, x - (1 - m - r)), 0.0);
    const double dy = std::fmax(std::fmax(m + r - y, y - (1 - m - r)), 0.0);
    if (dx * dx + dy * dy <= r * r) {
        const double t = (y - m) / (1 - 2 * m);
        c = over(c, {0.16 + 0.04 * (1 - t), 0.58 - 0.18 * t, 0.95 - 0.15 * t, 1});
    } else {
        return c;
    }
    // Lens: white ring, dark glass, small highlight.
    const double lx = x - 0.5, ly = y - 0.52, d = std::sqrt(lx * lx + ly * ly);
    if (d <= 0.30) c = over(c, {1, 1, 1, 1});
    if (d <= 0.21) c = over(c, {0.09, 0.16, 0.30, 1});
    if (d <= 0.09) c = over(c, {0.25, 0.55, 0.95, 1});
    const double hx = x - 0.44, hy = y - 0.45;
    if (hx * hx + hy * hy <= 0.045 * 0.045) c = over(c, {1, 1, 1, 0.9});
    // Record light on the tile's corner.
    const double rx = x - 0.80, ry = y - 0.20;
    if (rx * rx + ry * ry <= 0.06 * 0.06) c = over(c, {1, 0.35, 0.35, 1});
    return c;
}

// One image as a 32-bit DIB (bottom-up BGRA plus an all-zero AND mask).
std::vector<uint8_t> dibImage(int size) {
    const int ss = 4;  // supersampling per axis
    std::vector<uint8_t> pixels;
    for (int row = size - 1; row >= 0; --row) {
        for (int col = 0; col < size; ++col) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const Rgba c = shade((col + (sx + 0.5) / ss) / size, (row + (sy + 0.5) / ss) / size);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            const double n = ss * ss;
            auto byte = [](double v) { return uint8_t(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255)); };
            const double alpha = a / n;
            pixels.push_back(alpha > 0 ? byte(b / a) : 0);
            pixels.push_back(alpha > 0 ? byte(g / a) : 0);
            pixels.push_back(alpha > 0 ? byte(r / a) : 0);
            pixels.push_back(byte(alpha));
        }
    }
    std::vector<uint8_t> out;
    auto put16 = [&](uint16_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v)); put16(uint16_t(v >> 16)); };
    const uint32_t maskRow = ((size + 31) / 32) * 4;
    put32(40);
    put32(uint32_t(size));
    put32(uint32_t(size * 2));
    put16(1);
    put16(32);
    put32(0);
    put32(uint32_t(pixels.size() + maskRow * size));
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    out.insert(out.end(), maskRow * size, 0);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen OUT.ico\n");
        return 2;
    }
    const int sizes[] = {16, 24, 32, 48, 64};
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) images.push_back(dibImage(s));

    std::vector<uint8_t> out;
    auto put16 = [&](uint16_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v)); put16(uint16_t(v >> 16)); };
    put16(0);
    put16(1);
    put16(uint16_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(sizes[i]));
        out.push_back(uint8_t(sizes[i]));
        out.push_back(0);
        out.push_back(0);
        put16(1);
        put16(32);
        put32(uint32_t(images[i].size()));
        put32(offset);
        offset += uint32_t(images[i].size());
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());

    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "icongen: %s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
