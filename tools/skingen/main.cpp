// skingen SKINDIR CONTROLSDIR: draws the wizard's skin images (the window
// background, the button, check box, edit box and progress strips, the
// title-bar logo) into SKINDIR, and the images of the controls the wizard
// does not use (scroll bars, slider, combo box, list items, tabs, toggle and
// icon buttons) into CONTROLSDIR, as PNG files. Deterministic: the same
// program always writes the same bytes, so the committed images can be
// checked against a fresh run.
//
// Every picture is a function from a point to a straight-alpha colour,
// sampled 4 × 4 times per pixel. Edges that must be crisp sit on whole
// pixel boundaries; only round corners and glyph strokes are smoothed.

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

Rgba hex(uint32_t rgb, double a = 1) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
}

Rgba mix(Rgba p, Rgba q, double t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

// Straight-alpha "over".
Rgba over(Rgba dst, Rgba src) {
    const double a = src.a + dst.a * (1 - src.a);
    if (a <= 0) return {};
    auto m = [&](double s, double d) { return (s * src.a + d * dst.a * (1 - src.a)) / a; };
    return {m(src.r, dst.r), m(src.g, dst.g), m(src.b, dst.b), a};
}

Rgba withAlpha(Rgba c, double a) {
    c.a *= a;
    return c;
}

// Inside the rectangle [x0, x1) × [y0, y1) with corners of radius r.
bool inRoundRect(double x, double y, double x0, double y0, double x1, double y1, double r) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    const double cx = x < x0 + r ? x0 + r : (x > x1 - r ? x1 - r : x);
    const double cy = y < y0 + r ? y0 + r : (y > y1 - r ? y1 - r : y);
    const double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

// A one-pixel ring just inside the rounded rectangle.
bool onRoundBorder(double x, double y, double x0, double y0, double x1, double y1, double r) {
    return inRoundRect(x, y, x0, y0, x1, y1, r) &&
           !inRoundRect(x, y, x0 + 1, y0 + 1, x1 - 1, y1 - 1, r > 1 ? r - 1 : 0);
}

double segmentDistance(double x, double y, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    double t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    const double dx = x - (ax + t * vx), dy = y - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

using Shader = std::function<Rgba(double x, double y)>;

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;

    Image(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}

    // Paints `shade` into the rows [top, top + h) of the image, with the
    // shader's origin at that row.
    void paint(int top, int h, const Shader& shade) {
        const int ss = 4;
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < width; ++col) {
                double r = 0, g = 0, b = 0, a = 0;
                for (int sy = 0; sy < ss; ++sy)
                    for (int sx = 0; sx < ss; ++sx) {
                        const Rgba c = shade(col + (sx + 0.5) / ss, row + (sy + 0.5) / ss);
                        r += c.r * c.a;
                        g += c.g * c.a;
                        b += c.b * c.a;
                        a += c.a;
                    }
                auto byte = [](double v) { return uint8_t(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255)); };
                uint8_t* p = &rgba[(size_t(top + row) * width + col) * 4];
                p[0] = a > 0 ? byte(r / a) : 0;
                p[1] = a > 0 ? byte(g / a) : 0;
                p[2] = a > 0 ? byte(b / a) : 0;
                p[3] = byte(a / (ss * ss));
            }
    }

    bool save(const std::string& path) const {
        return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
    }
};

// --- Palette -----------------------------------------------------------------

const Rgba kTitleTop = hex(0x163766), kTitleBottom = hex(0x183D70);
const Rgba kBodyTop = hex(0x22528F), kBodyBottom = hex(0x173D73);
const Rgba kDivider = hex(0x2F66A8);
const Rgba kFrameEdge = hex(0x0D2445);
const Rgba kAccentTop = hex(0x3D98F2), kAccentBottom = hex(0x2A7FDC), kAccentEdge = hex(0x1A5EAF);
const Rgba kHoverTop = hex(0x58ABF7), kHoverBottom = hex(0x3A91EA), kHoverEdge = hex(0x2470C4);
const Rgba kDownTop = hex(0x2169BD), kDownBottom = hex(0x2475CE), kDownEdge = hex(0x16518F);
const Rgba kOffTop = hex(0x627B99), kOffBottom = hex(0x58708D), kOffEdge = hex(0x485D77);
const Rgba kWhite = hex(0xFFFFFF);

enum State { Normal, Hover, Down, Off };

// --- The window background -------------------------------------------------

Image mainBackground() {
    const int W = 504, H = 366, title = 24;
    Image img(W, H);
    img.paint(0, H, [&](double x, double y) {
        Rgba c;
        if (y < title) {
            c = mix(kTitleTop, kTitleBottom, y / title);
        } else if (y < title + 1) {
            c = kDivider;
        } else {
            c = mix(kBodyTop, kBodyBottom, (y - title) / (H - title));
            // A soft light from the upper right and a faint band across.
            const double dx = x - W * 0.92, dy = y - title * 2.2;
            const double glow = std::exp(-(dx * dx + dy * dy) / (2 * 150.0 * 150.0));
            c = over(c, withAlpha(kWhite, 0.10 * glow));
            const double band = (x * 0.45 + y) - 330;
            if (band > 0 && band < 120) c = over(c, withAlpha(kWhite, 0.025));
        }
        // The frame follows the window's round region (radius 4.5).
        if (onRoundBorder(x, y, 0, 0, W, H, 4.5)) c = over(c, withAlpha(kFrameEdge, 0.9));
        return c;
    });
    // Opaque everywhere: the window is copied, never blended.
    for (size_t i = 3; i < img.rgba.size(); i += 4) img.rgba[i] = 255;
    return img;
}

// --- Buttons ----------------------------------------------------------------

Shader pushButton(int w, int h, State s) {
    Rgba top = kAccentTop, bottom = kAccentBottom, edge = kAccentEdge;
    if (s == Hover) top = kHoverTop, bottom = kHoverBottom, edge = kHoverEdge;
    if (s == Down) top = kDownTop, bottom = kDownBottom, edge = kDownEdge;
    if (s == Off) top = kOffTop, bottom = kOffBottom, edge = kOffEdge;
    return [=](double x, double y) {
        const double r = 3;
        if (!inRoundRect(x, y, 0, 0, w, h, r)) return Rgba{};
        if (onRoundBorder(x, y, 0, 0, w, h, r)) return edge;
        Rgba c = mix(top, bottom, y / h);
        // A one-pixel highlight under the top edge, except when pressed.
        if (s != Down && y >= 1 && y < 2) c = over(c, withAlpha(kWhite, s == Off ? 0.10 : 0.22));
        return c;
    };
}

Image strip(int w, int h, int frames, const std::function<Shader(int)>& frame) {
    Image img(w, h * frames);
    for (int i = 0; i < frames; ++i) img.paint(i * h, h, frame(i));
    return img;
}

// Close and minimise: a glyph on a rounded plate that shows on hover.
Shader captionButton(int w, int h, State s, bool close) {
    return [=](double x, double y) {
        Rgba c;
        const double r = 2;
        if (s == Hover || s == Down) {
            if (inRoundRect(x, y, 0, 0, w, h, r)) {
                if (close)
                    c = s == Hover ? hex(0xE5484D) : hex(0xC0363B);
                else
                    c = withAlpha(kWhite, s == Hover ? 0.18 : 0.10);
            }
        }
        const double glyphAlpha = s == Off ? 0.35 : (s == Normal ? 0.85 : 1.0);
        const double cx = w / 2.0, cy = h / 2.0;
        double cover = 0;
        if (close) {
            const double d = std::fmin(segmentDistance(x, y, cx - 3.5, cy - 3.5, cx + 3.5, cy + 3.5),
                                       segmentDistance(x, y, cx - 3.5, cy + 3.5, cx + 3.5, cy - 3.5));
            cover = std::fmax(0.0, std::fmin(1.0, 1.25 - d));
        } else if (y >= std::floor(cy) + 1 && y < std::floor(cy) + 2 && x >= cx - 4 && x < cx + 4) {
            cover = 1;  // a crisp one-pixel bar
        }
        if (cover > 0) c = over(c, withAlpha(kWhite, glyphAlpha * cover));
        return c;
    };
}

// Browse: a secondary button with a folder glyph.
Shader browseButton(int w, int h, State s) {
    const Shader plate = pushButton(w, h, s);
    return [=](double x, double y) {
        Rgba c = plate(x, y);
        if (c.a == 0) return c;
        const double fx = std::floor(w / 2.0) - 8, fy = std::floor(h / 2.0) - 6;  // 16 × 12 glyph
        const double alpha = s == Off ? 0.55 : 1.0;
        const bool tab = inRoundRect(x, y, fx, fy, fx + 7, fy + 3, 1);
        const bool body = inRoundRect(x, y, fx, fy + 2, fx + 16, fy + 12, 1.2);
        const bool inner = inRoundRect(x, y, fx + 1, fy + 4, fx + 15, fy + 11, 0.8);
        if (tab || body) c = over(c, withAlpha(kWhite, alpha));
        if (inner) c = over(c, withAlpha(hex(0xFFE7A8), alpha));
        return c;
    };
}

// --- Check box: 8 frames, unchecked then checked, each normal, hover, down,
// disabled. The box is 14 × 14, centred in a 17 × 19 frame. ----------------

Shader checkFrame(int w, int h, State s, bool checked) {
    return [=](double x, double y) {
        const double x0 = 1, y0 = 3, x1 = 15, y1 = 17, r = 2.5;
        if (!inRoundRect(x, y, x0, y0, x1, y1, r)) return Rgba{};
        (void)w, (void)h;
        Rgba fill, edge;
        if (!checked) {
            fill = s == Down ? hex(0xD8E7F8) : kWhite;
            edge = s == Hover || s == Down ? kAccentTop : hex(0x9DB6D6);
            if (s == Off) fill = withAlpha(kWhite, 0.35), edge = withAlpha(kWhite, 0.45);
        } else {
            fill = s == Hover ? kHoverTop : (s == Down ? kDownTop : kAccentTop);
            edge = s == Hover ? kHoverEdge : (s == Down ? kDownEdge : kAccentEdge);
            if (s == Off) fill = kOffTop, edge = kOffEdge;
            if (s == Normal || s == Hover) {
                // Keep a light rim so the filled box reads on the dark page.
                edge = hex(0xE6F1FD);
            }
        }
        Rgba c = onRoundBorder(x, y, x0, y0, x1, y1, r) ? edge : fill;
        if (checked) {
            const double d = std::fmin(segmentDistance(x, y, 4.2, 10.2, 7.0, 13.0),
                                       segmentDistance(x, y, 7.0, 13.0, 12.2, 6.8));
            const double cover = std::fmax(0.0, std::fmin(1.0, 1.35 - d));
            if (cover > 0) c = over(c, withAlpha(kWhite, cover * (s == Off ? 0.7 : 1.0)));
        }
        return c;
    };
}

// --- Edit boxes, the folder frame, the progress bar ---------------------------

Image box(int w, int h, Rgba fill, Rgba edge, double r) {
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        if (!inRoundRect(x, y, 0, 0, w, h, r)) return Rgba{};
        return onRoundBorder(x, y, 0, 0, w, h, r) ? edge : fill;
    });
    return img;
}

Image progressTrack() {
    const int w = 6, h = 11;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        const bool edge = x < 1 || x >= w - 1 || y < 1 || y >= h - 1;
        return edge ? hex(0x3E6DA8) : mix(hex(0x0C2447), hex(0x123262), y / h);
    });
    return img;
}

Image progressFill() {
    const int w = 6, h = 9;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        Rgba c = mix(hex(0x6AD6FF), hex(0x2A96E6), y / h);
        if (y < 1) c = mix(c, kWhite, 0.35);
        if (x < 1 || x >= w - 1) c = mix(c, hex(0x1C6FB8), 0.35);
        return c;
    });
    return img;
}

// The title-bar logo: the program icon's tile and lens at 16 × 16.
Image logo() {
    const int s = 16;
    Image img(s, s);
    img.paint(0, s, [=](double px, double py) {
        const double x = px / s, y = py / s;
        Rgba c;
        if (!inRoundRect(x, y, 0.02, 0.02, 0.98, 0.98, 0.2)) return c;
        c = mix(hex(0x3D9BF5), hex(0x2366C8), y);
        const double lx = x - 0.5, ly = y - 0.52, d = std::sqrt(lx * lx + ly * ly);
        if (d <= 0.32) c = over(c, kWhite);
        if (d <= 0.22) c = over(c, hex(0x172A4D));
        if (d <= 0.10) c = over(c, hex(0x4A90EE));
        const double rx = x - 0.80, ry = y - 0.20;
        if (rx * rx + ry * ry <= 0.08 * 0.08) c = over(c, hex(0xFF5A5A));
        return c;
    });
    return img;
}


// --- Controls the wizard does not use ------------------------------------------
// Scroll bars sit on the light lists and panels; the slider, tabs and
// toggles on the dark page. Accent colours mark what is pressed or chosen.

const Rgba kBarTrack = hex(0xEEF3F9);

// The colour of a scroll-bar glyph or thumb in a state.
Rgba partColour(State s) {
    switch (s) {
    case Hover: return hex(0x8FB0DA);
    case Down: return kAccentTop;
    case Off: return hex(0xC9D3E0);
    default: return hex(0xB9CBE3);
    }
}

// A scroll-bar arrow: a filled triangle pointing to `direction` (0 up,
// 1 down, 2 left, 3 right) on a plate that shows when hovered or pressed.
Image arrow(int size, int direction, State s) {
    Image img(size, size);
    img.paint(0, size, [=](double x, double y) {
        Rgba c;
        if ((s == Hover || s == Down) && inRoundRect(x, y, 1, 1, size - 1, size - 1, 2))
            c = s == Down ? hex(0xCFE3FA) : hex(0xDDE7F3);
        // Work in the "up" frame: u across, v along the arrow.
        double u = x, v = y;
        if (direction == 1) v = size - y;
        if (direction == 2) u = y, v = x;
        if (direction == 3) u = y, v = size - x;
        const double cx = size / 2.0, top = size * 0.34, bottom = size * 0.64;
        const double half = (v - top) / (bottom - top) * size * 0.28;
        const Rgba glyph = s == Off ? hex(0xC9D3E0) : (s == Normal ? hex(0x7D97BA) : kAccentEdge);
        if (v >= top && v <= bottom && std::fabs(u - cx) <= half) c = over(c, glyph);
        return c;
    });
    return img;
}

// The thumb of a scroll bar, drawn as a nine-grid (4 pixels each side).
Image thumb(int w, int h, State s) {
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        if (!inRoundRect(x, y, 1, 1, w - 1, h - 1, 3)) return Rgba{};
        return partColour(s);
    });
    return img;
}

// Three grip lines centred on the thumb, across it.
Image grip(bool vertical, State s) {
    const int w = vertical ? 6 : 5, h = vertical ? 5 : 6;
    Image img(w, h);
    const Rgba c = withAlpha(kWhite, s == Normal ? 0.75 : 0.9);
    img.paint(0, h, [=](double x, double y) {
        const double along = vertical ? y : x;
        return int(along) % 2 == 0 ? c : Rgba{};
    });
    return img;
}

// The slider's bar (the part after the thumb) and track (the part before).
Image sliderBar(bool filled) {
    const int w = 8, h = 4;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        if (!inRoundRect(x, y, 0, 0, w, h, 2)) return Rgba{};
        return filled ? mix(kAccentTop, kAccentBottom, y / h) : withAlpha(kWhite, 0.25);
    });
    return img;
}

Image sliderThumb(State s) {
    const int d = 14;
    Image img(d, d);
    img.paint(0, d, [=](double x, double y) {
        const double dx = x - d / 2.0, dy = y - d / 2.0, r = std::sqrt(dx * dx + dy * dy);
        if (r > 6.5) return Rgba{};
        const Rgba rim = s == Down ? kDownEdge : kAccentEdge;
        if (r > 5.5) return rim;
        return s == Hover ? hex(0xE6F1FD) : (s == Down ? hex(0xCFE3FA) : kWhite);
    });
    return img;
}

// The combo box's drop button: a chevron on transparent ground.
Image dropButton() {
    const int w = 20, h = 20;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        const double d = std::fmin(segmentDistance(x, y, 6, 8, 10, 12), segmentDistance(x, y, 10, 12, 14, 8));
        const double cover = std::fmax(0.0, std::fmin(1.0, 1.4 - d));
        return withAlpha(kAccentEdge, cover);
    });
    return img;
}

// A flat 8 × 8 cell in one colour (list items, tab headers).
Image cell(Rgba fill) {
    Image img(8, 8);
    img.paint(0, 8, [=](double, double) { return fill; });
    return img;
}

// A tab header: rounded on top, open at the bottom where the page begins.
Image tabHeader(State s, bool chosen) {
    const int w = 12, h = 12;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        if (!inRoundRect(x, y, 0, 0, w, h + 4, 3)) return Rgba{};
        if (chosen) return kBodyTop;
        return withAlpha(kWhite, s == Hover ? 0.16 : (s == Off ? 0.03 : 0.07));
    });
    return img;
}

// A switch for the toggle button, drawn at the size it is shown (36 × 18):
// the knob sits left when off and right when on.
Image switchImage(State s, bool on) {
    const int w = 36, h = 18;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        if (!inRoundRect(x, y, 0, 0, w, h, h / 2.0)) return Rgba{};
        Rgba c = on ? (s == Hover ? kHoverTop : (s == Down ? kDownTop : kAccentTop)) : withAlpha(kWhite, s == Hover ? 0.30 : 0.20);
        if (s == Off) c = on ? kOffTop : withAlpha(kWhite, 0.08);
        const double kx = on ? w - h / 2.0 : h / 2.0, dx = x - kx, dy = y - h / 2.0;
        if (dx * dx + dy * dy <= 6.5 * 6.5) c = over(c, withAlpha(kWhite, s == Off ? 0.5 : 1.0));
        return c;
    });
    return img;
}

// A radio button's icon, 17 × 19 like the check box's frames: a ring, and a
// dot when chosen.
Image radio(State s, bool chosen) {
    const int w = 17, h = 19;
    Image img(w, h);
    img.paint(0, h, [=](double x, double y) {
        const double dx = x - 8, dy = y - 10, r = std::sqrt(dx * dx + dy * dy);
        if (r > 7) return Rgba{};
        Rgba edge = s == Hover || s == Down ? kAccentTop : hex(0x9DB6D6);
        Rgba fill = s == Down ? hex(0xD8E7F8) : kWhite;
        if (s == Off) edge = withAlpha(kWhite, 0.45), fill = withAlpha(kWhite, 0.35);
        Rgba c = r > 6 ? edge : fill;
        if (chosen && r <= 3.5) c = s == Off ? kOffTop : (s == Hover ? kHoverTop : kAccentTop);
        return c;
    });
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen SKINDIR CONTROLSDIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/", controlsDir = std::string(argv[2]) + "/";
    const State states[] = {Normal, Hover, Down, Off};
    struct Output {
        std::string path;
        Image image;
    };
    std::vector<Output> outputs;
    auto skin = [&](const char* name, Image image) { outputs.push_back({dir + name, std::move(image)}); };
    auto control = [&](const std::string& name, Image image) {
        outputs.push_back({controlsDir + name, std::move(image)});
    };
    skin("mainbkg.png", mainBackground());
    skin("button.png", strip(62, 26, 4, [&](int i) { return pushButton(62, 26, states[i]); }));
    skin("close.png", strip(25, 17, 4, [&](int i) { return captionButton(25, 17, states[i], true); }));
    skin("min.png", strip(25, 17, 4, [&](int i) { return captionButton(25, 17, states[i], false); }));
    skin("browserbtn.png", strip(72, 28, 4, [&](int i) { return browseButton(72, 28, states[i]); }));
    skin("check.png", strip(17, 19, 8, [&](int i) { return checkFrame(17, 19, states[i % 4], i >= 4); }));
    skin("editnormal.png", box(9, 9, kWhite, hex(0x8EA9CC), 2.5));
    skin("editfocus.png", box(9, 9, kWhite, hex(0x3D98F2), 2.5));
    // A read-only text on the page itself (the finish text) shows no box.
    skin("editdisable.png", box(9, 9, hex(0x0A1C36, 0), withAlpha(kWhite, 0), 2.5));
    skin("seldirbkg.png", box(8, 8, withAlpha(kWhite, 0.08), withAlpha(kWhite, 0.24), 2));
    skin("pro_bg.png", progressTrack());
    skin("pro_fg.png", progressFill());
    skin("logo.png", logo());

    const char* stateNames[] = {"up", "over", "down", "disabled"};
    const char* arrowNames[] = {"up", "down", "left", "right"};
    for (int direction = 0; direction < 4; ++direction)
        for (int s = 0; s < 4; ++s)
            control(std::string("arrow_") + arrowNames[direction] + "_" + stateNames[s] + ".png",
                    arrow(14, direction, states[s]));
    for (int s = 0; s < 3; ++s) {
        control(std::string("thumb_") + stateNames[s] + ".png", thumb(12, 12, states[s]));
        control(std::string("grip_v_") + stateNames[s] + ".png", grip(true, states[s]));
        control(std::string("grip_h_") + stateNames[s] + ".png", grip(false, states[s]));
        control(std::string("slider_thumb_") + stateNames[s] + ".png", sliderThumb(states[s]));
    }
    control("scrollbar_v.png", box(14, 14, kBarTrack, kBarTrack, 3));
    control("scrollbar_h.png", box(14, 14, kBarTrack, kBarTrack, 3));
    control("slider_bar.png", sliderBar(false));
    control("slider_track.png", sliderBar(true));
    for (int s = 0; s < 4; ++s)
        control(std::string("combo_") + stateNames[s] + ".png",
                box(9, 9, s == 3 ? hex(0xD5DDE8) : kWhite, s == 0 ? hex(0x8EA9CC) : (s == 3 ? hex(0xA9B6C6) : kAccentTop), 2.5));
    control("combo_drop.png", dropButton());
    control("combo_list.png", box(8, 8, kWhite, kAccentEdge, 2));
    control("listbkg.png", box(8, 8, kWhite, hex(0x8EA9CC), 2));
    control("listitem_chosen.png", cell(hex(0xCFE3FA)));
    for (int s = 0; s < 4; ++s) control(std::string("tab_") + stateNames[s] + ".png", tabHeader(states[s], false));
    control("tab_chosen.png", tabHeader(Normal, true));
    control("tabpage.png", box(8, 8, kBodyTop, kDivider, 2));
    for (int s = 0; s < 4; ++s)
        control(std::string("toggle_") + stateNames[s] + ".png",
                box(9, 9, withAlpha(kWhite, s == 3 ? 0.04 : (s == 1 ? 0.16 : 0.10)), withAlpha(kWhite, 0.3), 3));
    control("toggle_checked.png", box(9, 9, kAccentTop, kAccentEdge, 3));

    for (int s = 0; s < 4; ++s) {
        control(std::string("radio_") + stateNames[s] + ".png", radio(states[s], false));
        control(std::string("radio_chosen_") + stateNames[s] + ".png", radio(states[s], true));
    }
    control("separator.png", cell(withAlpha(kWhite, 0.24)));
    for (int s = 0; s < 4; ++s) {
        control(std::string("switch_off_") + stateNames[s] + ".png", switchImage(states[s], false));
        control(std::string("switch_on_") + stateNames[s] + ".png", switchImage(states[s], true));
    }

    for (const Output& o : outputs) {
        if (!o.image.save(o.path)) {
            std::fprintf(stderr, "skingen: cannot write %s\n", o.path.c_str());
            return 1;
        }
    }
    return 0;
}
