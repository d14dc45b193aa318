// The thirteen gallery pictures, three artists with three ways of working: morlen paints fractal
// landscapes, tasp paints flowing warped colour fields, wevold renders the classic fractal sets.
#include "makers.h"
#include "text.h"

#include <algorithm>
#include <complex>

namespace mkdata {

const GalleryEntry gallery[13] = {
    {"gfx/morlen/mw-tolve.jpg", "morlen", "tolve", 640, 480},
    {"gfx/morlen/mw-brask.jpg", "morlen", "brask", 640, 480},
    {"gfx/morlen/mw-kindel2.jpg", "morlen", "kindel II", 640, 480},
    {"gfx/morlen/mw-ospar.jpg", "morlen", "ospar", 640, 480},
    {"gfx/morlen/mw-feldt.jpg", "morlen", "feldt", 640, 480},
    {"gfx/tasp/vornig.jpg", "tasp", "vornig", 640, 960},
    {"gfx/tasp/plessa.jpg", "tasp", "plessa", 640, 480},
    {"gfx/tasp/durnet.jpg", "tasp", "durnet", 640, 480},
    {"gfx/tasp/halde.jpg", "tasp", "halde", 640, 480},
    {"gfx/tasp/grumol.jpg", "tasp", "grumol", 600, 800},
    {"gfx/wevold/mirk4.jpg", "wevold", "mirk IV", 640, 480},
    {"gfx/wevold/tosel2.jpg", "wevold", "tosel II", 640, 480},
    {"gfx/wevold/quendra3.jpg", "wevold", "quendra III", 640, 480},
};

namespace {

void signature(Image &img, const char *artist, Rgb c) {
    drawtext(img, Font::SerifItalic, 13.0f, static_cast<float>(img.w) - 12.0f,
             static_cast<float>(img.h) - 10.0f, artist, c, 1.0f, 0.7f);
}

// ---- morlen: layered ridges under a painted sky ----

struct LandscapeStyle {
    Ramp sky;
    Rgb sun;
    float sunx, suny, sunsize;
    Rgb fog;
    std::vector<Rgb> layers; // far to near
    float horizon;           // 0..1 of the height where the land meets water (1 = no water)
    bool stars;
    bool snow;
    Rgb cloud;
    float cloudiness;
    uint32_t seed;
};

Image landscape(const LandscapeStyle &s, int w, int h) {
    Image img(w, h);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float waterline = s.horizon * fh;
    // Sky, sun glow and clouds.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) / fw, fy = static_cast<float>(y) / fh;
            Rgb c = s.sky.at(fy / std::max(0.3f, s.horizon));
            const float d = std::hypot(fx - s.sunx, (fy - s.suny) * 0.75f);
            c = c + s.sun * (0.55f * std::exp(-d * d / (s.sunsize * 12.0f)) + 0.25f * std::exp(-d * 3.0f));
            const float cl = fbm(fx * 5.0f, fy * 14.0f, 6, s.seed + 7) + 0.15f - (1.0f - s.cloudiness) * 0.5f;
            const float dens =
                smoothstep(0.0f, 0.35f, cl) * (1.0f - smoothstep(0.35f, 0.75f, fy / s.horizon));
            const float lit = 0.6f + 0.4f * fbm(fx * 5.0f + 0.03f, fy * 14.0f - 0.05f, 4, s.seed + 7);
            c = mix(c, s.cloud * lit + s.sun * (0.3f * std::exp(-d * 4.0f)), dens * 0.85f);
            img.at(x, y) = c;
        }
    }
    if (s.stars) {
        Random r(s.seed);
        for (int i = 0; i < 700; ++i) {
            const float x = r.range(0, fw), y = r.range(0, waterline * 0.8f), b = r.uniform();
            img.add(static_cast<int>(x), static_cast<int>(y), Rgb{1, 1, 1} * (0.15f + 0.7f * b * b));
        }
    }
    fillcircle(img, s.sunx * fw, s.suny * fh, s.sunsize * fh * 0.5f, mix(s.sun, Rgb{1, 1, 1}, 0.6f), 0.95f);
    // Ridges from far to near: each a fractal profile, shaded by its slope and faded into the haze.
    const size_t n = s.layers.size();
    for (size_t l = 0; l < n; ++l) {
        const float depth = static_cast<float>(l) / static_cast<float>(n > 1 ? n - 1 : 1); // 0 far, 1 near
        const float base =
            waterline - fh * (0.05f + 0.22f * (1.0f - depth)) + fh * 0.16f * depth * (s.horizon < 1 ? 0 : 1);
        const float amp = fh * (0.10f + 0.12f * (1.0f - depth));
        const float freq = 2.0f + 3.0f * depth;
        const float haze = 0.75f * (1.0f - depth);
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) / fw;
            auto height = [&](float u) {
                return base - amp * ridged(u * freq, static_cast<float>(l) * 3.7f, 7,
                                           s.seed + 31 * static_cast<uint32_t>(l));
            };
            const float top = height(fx);
            const int y0 = std::max(0, static_cast<int>(top));
            for (int y = y0; y < static_cast<int>(waterline) && y < h; ++y) {
                const float below = (static_cast<float>(y) - top) / fh;
                Rgb c = s.layers[l];
                // Light from the sun's side, texture of rock and grass.
                const float fy = static_cast<float>(y) / fh;
                const uint32_t rs = s.seed + 99 + static_cast<uint32_t>(l);
                const float grain = fbm(fx * 14.0f, fy * 14.0f, 5, rs);
                const float ddx = fbm(fx * 14.0f + 0.02f, fy * 14.0f, 5, rs) - grain;
                const float lightside = clamp01(0.5f + ddx * (s.sunx < 0.5f ? -6.0f : 6.0f));
                c = c * (0.7f + 0.5f * lightside + 0.25f * grain);
                if (s.snow && fy < (waterline / fh) * (0.48f + 0.08f * static_cast<float>(l)) + 0.05f * grain)
                    c = mix(c, Rgb{0.92f, 0.95f, 1.0f} * (0.6f + 0.4f * lightside), 0.85f);
                c = mix(c, s.fog, clamp01(haze + below * 0.8f * (1.0f - depth) * 0.5f));
                const float edge = clamp01(static_cast<float>(y) + 1.0f - top);
                img.at(x, y) = mix(img.at(x, y), c, edge);
            }
        }
    }
    // Still water mirrors the land with soft ripples.
    if (s.horizon < 1.0f) {
        for (int y = static_cast<int>(waterline); y < h; ++y) {
            const float dist = (static_cast<float>(y) - waterline) / (fh - waterline);
            for (int x = 0; x < w; ++x) {
                const float ripple =
                    noise(static_cast<float>(x) * 0.02f, static_cast<float>(y) * 0.35f, s.seed + 5);
                const float sx = static_cast<float>(x) + ripple * (2.0f + 10.0f * dist);
                const float sy = 2.0f * waterline - static_cast<float>(y) - 1.0f + ripple * 3.0f;
                Rgb c = img.sample(sx, std::max(0.0f, sy));
                c = mix(c * 0.8f, s.fog * 0.5f, 0.25f + 0.3f * dist);
                img.at(x, y) = c;
            }
        }
    }
    // A slight vignette, as if seen through a lens.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float dx = static_cast<float>(x) / fw - 0.5f, dy = static_cast<float>(y) / fh - 0.5f;
            img.at(x, y) = img.at(x, y) * (1.0f - 0.45f * (dx * dx + dy * dy));
        }
    return img;
}

Image morlen(int which, int w, int h) {
    LandscapeStyle s;
    switch (which) {
    case 0: // dawn over a lake
        s = {Ramp{{{0, hex(0x2a2d5c)}, {0.5f, hex(0xb0607a)}, {0.85f, hex(0xf4a462)}, {1, hex(0xffd9a0)}}},
             hex(0xffc070),
             0.68f,
             0.52f,
             0.05f,
             hex(0xd08a88),
             {hex(0x6a5a80), hex(0x4a3d66), hex(0x30264a), hex(0x1a1430)},
             0.62f,
             false,
             false,
             hex(0xf0b0a0),
             0.6f,
             11};
        break;
    case 1: // red desert at dusk
        s = {Ramp{{{0, hex(0x1b1030)}, {0.45f, hex(0x6a2340)}, {0.8f, hex(0xe2583e)}, {1, hex(0xffb050)}}},
             hex(0xff8040),
             0.3f,
             0.6f,
             0.07f,
             hex(0xa04838),
             {hex(0x9a4a3a), hex(0x80382c), hex(0x5c2420), hex(0x381414), hex(0x200a0c)},
             1.0f,
             false,
             false,
             hex(0xc86050),
             0.35f,
             23};
        break;
    case 2: // a green world with two moons
        s = {Ramp{{{0, hex(0x04181c)}, {0.5f, hex(0x0f4a48)}, {0.9f, hex(0x5fb59a)}, {1, hex(0xc8f0c0)}}},
             hex(0xd0ffe0),
             0.25f,
             0.22f,
             0.09f,
             hex(0x3f8a78),
             {hex(0x2c6a60), hex(0x1c5048), hex(0x0e3430), hex(0x041c1a)},
             0.7f,
             true,
             false,
             hex(0x80c8b0),
             0.4f,
             37};
        break;
    case 3: // winter night, snow on the peaks
        s = {Ramp{{{0, hex(0x02040e)}, {0.6f, hex(0x0c1c40)}, {1, hex(0x3a5a8a)}}},
             hex(0xe8f0ff),
             0.78f,
             0.18f,
             0.07f,
             hex(0x2a3a60),
             {hex(0x5a6a90), hex(0x3a4870), hex(0x222e50), hex(0x101830)},
             0.72f,
             true,
             true,
             hex(0x506080),
             0.25f,
             41};
        break;
    default: // golden afternoon over green hills
        s = {Ramp{{{0, hex(0x3a78c0)}, {0.6f, hex(0x8ab8e0)}, {1, hex(0xf0e0b0)}}},
             hex(0xfff0c0),
             0.2f,
             0.25f,
             0.06f,
             hex(0xb8c8d0),
             {hex(0x8a9ab0), hex(0x6a8a60), hex(0x4f7a38), hex(0x3a6428), hex(0x2a4a1a)},
             1.0f,
             false,
             false,
             hex(0xffffff),
             0.75f,
             53};
        break;
    }
    Image img = landscape(s, w, h);
    if (which == 2) {
        fillcircle(img, 0.78f * static_cast<float>(w), 0.12f * static_cast<float>(h), 14.0f, hex(0xf0e8d0),
                   0.9f);
        glowdisc(img, 0.78f * static_cast<float>(w), 0.12f * static_cast<float>(h), 60.0f, hex(0x203830));
    }
    signature(img, "morlen", Rgb{1, 1, 1});
    return img;
}

// ---- tasp: colour fields folded into themselves ----

struct FlowStyle {
    Ramp ramp;
    Ramp ramp2; // used towards the bottom of a tall picture
    Rgb accent;
    float scale;
    uint32_t seed;
};

Image tasp(const FlowStyle &s, int w, int h) {
    Image img(w, h);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float px = static_cast<float>(x) / 480.0f * s.scale,
                        py = static_cast<float>(y) / 480.0f * s.scale;
            const float qx = fbm(px, py, 4, s.seed), qy = fbm(px + 5.2f, py + 1.3f, 4, s.seed);
            const float rx = fbm(px + 4.0f * qx + 1.7f, py + 4.0f * qy + 9.2f, 5, s.seed + 1);
            const float ry = fbm(px + 4.0f * qx + 8.3f, py + 4.0f * qy + 2.8f, 5, s.seed + 1);
            const float f = fbm(px + 3.0f * rx, py + 3.0f * ry, 4, s.seed + 2);
            const float t = clamp01(0.5f + f * 1.3f);
            const float down = static_cast<float>(y) / fh;
            Rgb c = mix(s.ramp.at(t), s.ramp2.at(t), smoothstep(0.2f, 0.9f, down));
            c = mix(c, s.accent, clamp01(std::hypot(qx, qy) * 1.6f - 0.4f) * 0.6f);
            c = c * (0.75f + 0.5f * clamp01(rx * rx * 4.0f));
            // Canvas: a fine weave.
            const float weave =
                0.03f * (std::sin(static_cast<float>(x) * 1.9f) * std::sin(static_cast<float>(y) * 1.9f));
            // One soft light falls across the field from the upper left.
            const float lx = static_cast<float>(x) / fw - 0.3f, ly = static_cast<float>(y) / fw - 0.25f;
            c = c * (0.55f + 0.75f * std::exp(-(lx * lx + ly * ly) * 2.5f));
            img.at(x, y) = c + Rgb{weave, weave, weave};
        }
    }
    signature(img, "tasp", Rgb{1, 0.95f, 0.85f});
    return img;
}

Image taspwork(int which, int w, int h) {
    switch (which) {
    case 0: // vornig: from a burning sky down into deep water
        return tasp(
            {Ramp{{{0, hex(0x300810)},
                   {0.35f, hex(0xb02818)},
                   {0.6f, hex(0xf08a20)},
                   {0.85f, hex(0xffe8a0)},
                   {1, hex(0xffffff)}}},
             Ramp{{{0, hex(0x020818)}, {0.4f, hex(0x0a3a6a)}, {0.7f, hex(0x2a9ab0)}, {1, hex(0xd8ffff)}}},
             hex(0x602080), 1.1f, 101},
            w, h);
    case 1: // plessa
        return tasp(
            {Ramp{{{0, hex(0x101030)}, {0.4f, hex(0x5a2a8a)}, {0.7f, hex(0xe070a0)}, {1, hex(0xfff0e0)}}},
             Ramp{{{0, hex(0x101030)}, {0.4f, hex(0x5a2a8a)}, {0.7f, hex(0xe070a0)}, {1, hex(0xfff0e0)}}},
             hex(0x20a0a0), 1.3f, 202},
            w, h);
    case 2: // durnet
        return tasp(
            {Ramp{{{0, hex(0x0a1a0a)}, {0.4f, hex(0x3a6a20)}, {0.7f, hex(0xc0c040)}, {1, hex(0xfffff0)}}},
             Ramp{{{0, hex(0x0a1a0a)}, {0.4f, hex(0x3a6a20)}, {0.7f, hex(0xc0c040)}, {1, hex(0xfffff0)}}},
             hex(0xa03010), 0.9f, 303},
            w, h);
    case 3: // halde
        return tasp(
            {Ramp{{{0, hex(0x1a0c04)}, {0.35f, hex(0x6a3a18)}, {0.65f, hex(0xd09050)}, {1, hex(0xf8f0e0)}}},
             Ramp{{{0, hex(0x1a0c04)}, {0.35f, hex(0x6a3a18)}, {0.65f, hex(0xd09050)}, {1, hex(0xf8f0e0)}}},
             hex(0x2050a0), 1.5f, 404},
            w, h);
    default: // grumol: moss and gold above, violet below
        return tasp(
            {Ramp{{{0, hex(0x081008)}, {0.4f, hex(0x2a5a30)}, {0.7f, hex(0xc0a040)}, {1, hex(0xfff8d0)}}},
             Ramp{{{0, hex(0x100818)}, {0.4f, hex(0x4a2a70)}, {0.7f, hex(0xb070d0)}, {1, hex(0xf8e8ff)}}},
             hex(0xd04020), 1.2f, 505},
            w, h);
    }
}

// ---- wevold: the sets themselves ----

Rgb cyclic(float t, Rgb a, Rgb b, Rgb c, Rgb d) {
    // Cosine palette: a + b cos(2 pi (c t + d)).
    auto ch = [&](float ai, float bi, float ci, float di) {
        return ai + bi * std::cos(6.2831853f * (ci * t + di));
    };
    return {ch(a.r, b.r, c.r, d.r), ch(a.g, b.g, c.g, d.g), ch(a.b, b.b, c.b, d.b)};
}

Image mirk(int w, int h) {
    // The Mandelbrot set near the seahorse valley, smooth iteration counts on a cyclic palette, 2x2 samples.
    Image img(w, h);
    const double cx = -0.743643887, cy = 0.131825904, span = 0.012;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb sum{};
            for (int s = 0; s < 4; ++s) {
                const double px = cx + span * ((x + 0.25 + 0.5 * (s & 1)) / w - 0.5);
                const double py = cy + span * ((y + 0.25 + 0.5 * (s >> 1)) - h * 0.5) / w;
                double zx = 0, zy = 0;
                int i = 0;
                const int maxi = 600;
                while (i < maxi && zx * zx + zy * zy < 256.0) {
                    const double t = zx * zx - zy * zy + px;
                    zy = 2 * zx * zy + py;
                    zx = t;
                    ++i;
                }
                if (i == maxi) continue; // inside: black
                const double sm = i + 1 - std::log2(std::log2(zx * zx + zy * zy) * 0.5);
                const float t = static_cast<float>(std::sqrt(sm) * 0.22);
                sum =
                    sum + cyclic(t, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {1, 1, 1}, {0.0f, 0.10f, 0.20f});
            }
            img.at(x, y) = sum * 0.25f;
        }
    }
    signature(img, "wevold", Rgb{1, 1, 1});
    return img;
}

Image tosel(int w, int h) {
    // A Julia set coloured by how close each orbit passes to a cross and a point.
    Image img(w, h);
    const double cr = -0.7269, ci = 0.1889;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb sum{};
            for (int s = 0; s < 4; ++s) {
                double zx = 3.2 * ((x + 0.25 + 0.5 * (s & 1)) / w - 0.5);
                double zy = 3.2 * ((y + 0.25 + 0.5 * (s >> 1)) - h * 0.5) / w;
                double trap = 1e9, ptrap = 1e9;
                int i = 0;
                for (; i < 300 && zx * zx + zy * zy < 64.0; ++i) {
                    const double t = zx * zx - zy * zy + cr;
                    zy = 2 * zx * zy + ci;
                    zx = t;
                    trap = std::min(trap, std::min(std::fabs(zx), std::fabs(zy)));
                    ptrap = std::min(ptrap, std::hypot(zx - 0.3, zy - 0.2));
                }
                const float a = static_cast<float>(std::exp(-trap * 9.0));
                const float b = static_cast<float>(std::exp(-ptrap * 4.0));
                Rgb c = mix(hex(0x050a1a), hex(0x1a60c0), a);
                c = mix(c, hex(0xffd060), b * 0.9f);
                c = c + hex(0xff70c0) * (a * b * 0.8f);
                if (i == 300) c = c * 0.6f;
                sum = sum + c;
            }
            img.at(x, y) = sum * 0.25f;
        }
    }
    signature(img, "wevold", Rgb{1, 1, 1});
    return img;
}

Image quendra(int w, int h) {
    // Newton's method on z^3 - 1: three basins, shaded by how fast each point settles.
    Image img(w, h);
    const std::complex<double> roots[3] = {{1, 0}, {-0.5, 0.8660254}, {-0.5, -0.8660254}};
    const Rgb colour[3] = {hex(0xd04a6a), hex(0x3ab0a0), hex(0x6a70e0)};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb sum{};
            for (int s = 0; s < 4; ++s) {
                std::complex<double> z(2.4 * ((x + 0.25 + 0.5 * (s & 1)) / w - 0.5) - 0.2,
                                       2.4 * ((y + 0.25 + 0.5 * (s >> 1)) - h * 0.5) / w);
                int i = 0, root = -1;
                for (; i < 60 && root < 0; ++i) {
                    const std::complex<double> z2 = z * z;
                    if (std::abs(z2) < 1e-12) break;
                    z = z - (z2 * z - 1.0) / (3.0 * z2);
                    for (int r = 0; r < 3; ++r)
                        if (std::abs(z - roots[r]) < 1e-3) root = r;
                }
                if (root < 0) continue;
                // Points that settle at once stay dark; the slow ones, along the borders where the three
                // basins fold into each other, glow.
                const float slow = 1.0f - std::pow(0.8f, static_cast<float>(i));
                const float band = 0.5f + 0.5f * std::sin(static_cast<float>(i) * 0.8f);
                sum = sum + colour[root] * (0.08f + 0.9f * slow * slow) +
                      Rgb{1, 0.95f, 0.8f} * (0.25f * band * slow * slow * slow);
            }
            img.at(x, y) = sum * 0.25f;
        }
    }
    signature(img, "wevold", Rgb{1, 1, 1});
    return img;
}

} // namespace

Image gallerypicture(int index) {
    const GalleryEntry &e = gallery[index];
    if (index < 5) return morlen(index, e.width, e.height);
    if (index < 10) return taspwork(index - 5, e.width, e.height);
    if (index == 10) return mirk(e.width, e.height);
    if (index == 11) return tosel(e.width, e.height);
    return quendra(e.width, e.height);
}

} // namespace mkdata
