// The thirteen gallery pictures, three artists with three ways of working: morlen paints landscapes,
// tasp colour fields, wevold renders the classic fractal sets.
#include "gallery.h"
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

void signature(Image &img, const char *artist, Rgb c) {
    drawtext(img, Font::SerifItalic, 13.0f, static_cast<float>(img.w) - 12.0f,
             static_cast<float>(img.h) - 10.0f, artist, c, 1.0f, 0.7f);
}

namespace {

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
    if (index < 5) return landscape(index, e.width, e.height);
    if (index < 10) return colourfield(index - 5, e.width, e.height);
    if (index == 10) return mirk(e.width, e.height);
    if (index == 11) return tosel(e.width, e.height);
    return quendra(e.width, e.height);
}

} // namespace mkdata
