// The two intro logos, drawn as the era drew them: letters cut from the glyph outlines, raised into a height
// field with bevelled edges, lit from the upper left (chrome for zarn, stone for veltor), outlined, shadowed,
// with a few glints placed on their corners, and dithered to a 15-bit palette. They are made at twice the
// size and brought down to 320 x 240, on black: the show adds a logo to its frame, so black is nothing.
#include "makers.h"
#include "text.h"

#include <algorithm>
#include <cmath>

namespace mkdata {

namespace {

constexpr int W = 640, H = 480; // the working size

// Distance in pixels from each pixel inside the mask to the nearest pixel outside, and from each outside
// pixel to the nearest inside one (two passes of a 3-4 chamfer each way).
void distances(const Image &mask, std::vector<float> &inside, std::vector<float> &outside) {
    auto pass = [&](std::vector<float> &d, bool in) {
        const float far = 1e6f;
        for (int i = 0; i < W * H; ++i)
            d[static_cast<size_t>(i)] = (mask.px[static_cast<size_t>(i)].r >= 0.5f) == in ? far : 0.0f;
        auto relax = [&](int x, int y, int dx, int dy, float cost) {
            const int u = x + dx, v = y + dy;
            if (u < 0 || v < 0 || u >= W || v >= H) return;
            float &here = d[static_cast<size_t>(y * W + x)];
            here = std::min(here, d[static_cast<size_t>(v * W + u)] + cost);
        };
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                relax(x, y, -1, 0, 1.0f), relax(x, y, 0, -1, 1.0f);
                relax(x, y, -1, -1, 1.4142f), relax(x, y, 1, -1, 1.4142f);
            }
        for (int y = H - 1; y >= 0; --y)
            for (int x = W - 1; x >= 0; --x) {
                relax(x, y, 1, 0, 1.0f), relax(x, y, 0, 1, 1.0f);
                relax(x, y, 1, 1, 1.4142f), relax(x, y, -1, 1, 1.4142f);
            }
    };
    inside.assign(static_cast<size_t>(W * H), 0.0f);
    outside.assign(static_cast<size_t>(W * H), 0.0f);
    pass(inside, true);
    pass(outside, false);
}

struct Style {
    float bevel;               // width of the bevel in working pixels
    bool rounded;              // a rounded bevel (chrome) or a straight chisel (stone)
    Rgb outline, glow, shadow; // the rim just outside the letters, the glow, the shadow
    float shininess, sheen;    // the highlight
    Rgb (*surface)(float x, float y, float u, float v, float nx, float ny); // u, v: 0..1 over the lettering
};

// Chrome: the letters mirror a sky above a bright horizon and a warm ground, bent by the bevels.
Rgb chrome(float, float, float, float v, float, float ny) {
    static const Ramp env{{{0.0f, hex(0x1c3c8c)},
                           {0.38f, hex(0x9cd4ff)},
                           {0.5f, hex(0xffffff)},
                           {0.53f, hex(0x5a2a18)},
                           {0.75f, hex(0xd06a20)},
                           {1.0f, hex(0xffe0a0)}}};
    return env.at(clamp01(v + 0.55f * ny));
}

// Stone: granite speckled and veined, cold blue-grey.
Rgb stone(float x, float y, float, float, float, float) {
    const float grain = fbm(x * 0.05f, y * 0.05f, 5, 901);
    const float speck = noise(x * 0.7f, y * 0.7f, 902);
    const float vein = std::pow(clamp01(1.0f - std::fabs(fbm(x * 0.012f, y * 0.02f, 4, 903)) * 6.0f), 3.0f);
    Rgb c = mix(hex(0x505a70), hex(0xa8b0c0), clamp01(0.5f + grain));
    c = c * (0.9f + 0.2f * speck);
    return mix(c, hex(0x2a2f40), vein * 0.6f);
}

void dither(Image &img) {
    // Ordered (Bayer) dithering to 5 bits a channel, as a 15-bit mode shows it.
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float t = (static_cast<float>(bayer[y & 3][x & 3]) + 0.5f) / 16.0f;
            Rgb &p = img.at(x, y);
            auto q = [&](float v) { return std::floor(clamp01(v) * 31.0f + t) / 31.0f; };
            p = {q(p.r), q(p.g), q(p.b)};
        }
}

// A four-pointed glint: a bright centre with rays along the axes and softer ones along the diagonals.
void glint(Image &img, float x, float y, float size, Rgb c) {
    glowdisc(img, x, y, size * 0.5f, c * 1.2f);
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * 0.7853982f;
        const float len = (k % 2 ? 0.45f : 1.0f) * size;
        for (float s = 0.0f; s < len; s += 0.5f)
            img.add(static_cast<int>(x + std::cos(a) * s), static_cast<int>(y + std::sin(a) * s),
                    c * (0.8f * (1.0f - s / len) * (1.0f - s / len)));
    }
}

Image drawlogo(const Image &mask, const Style &st, int glints) {
    std::vector<float> in, out;
    distances(mask, in, out);
    // The box of the lettering, for the surface's own coordinates.
    int x0 = W, x1 = 0, y0 = H, y1 = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (mask.at(x, y).r >= 0.5f)
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    auto height = [&](int x, int y) {
        x = std::clamp(x, 0, W - 1), y = std::clamp(y, 0, H - 1);
        const float d = in[static_cast<size_t>(y * W + x)] - 0.5f * (mask.at(x, y).r < 0.5f ? 1.0f : 0.0f);
        const float t = clamp01(d / st.bevel);
        return st.bevel * (st.rounded ? std::sqrt(1.0f - (1.0f - t) * (1.0f - t)) : t);
    };
    Image img(W, H);
    // A shadow cast down and to the right, and a soft glow round the letters.
    Image shadowmask(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (x >= 10 && y >= 12) shadowmask.at(x, y).r = mask.at(x - 10, y - 12).r;
    shadowmask = blur(shadowmask, 4);
    const Image soft = blur(mask, 14);
    const struct { float x, y, z; } light{-0.55f, -0.6f, 0.58f};
    const float hx = light.x, hy = light.y, hz = light.z + 1.0f; // half-way to the viewer
    const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const size_t i = static_cast<size_t>(y * W + x);
            Rgb c = st.glow * (soft.at(x, y).r * 0.9f) + st.shadow * shadowmask.at(x, y).r;
            // The rim: a line of light hugging the letters just outside.
            const float rim = out[i] > 0.0f ? std::exp(-std::pow((out[i] - 2.5f) / 1.6f, 2.0f)) : 0.0f;
            c = mix(c, st.outline, rim);
            const float cover = mask.at(x, y).r;
            if (cover > 0.0f) {
                float nx = (height(x - 1, y) - height(x + 1, y)) * 0.5f;
                float ny = (height(x, y - 1) - height(x, y + 1)) * 0.5f;
                float nz = 1.0f;
                const float l = std::sqrt(nx * nx + ny * ny + nz * nz);
                nx /= l, ny /= l, nz /= l;
                const float diffuse = std::max(0.0f, nx * light.x + ny * light.y + nz * light.z);
                const float glint =
                    std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), st.shininess);
                const float u = static_cast<float>(x - x0) / static_cast<float>(std::max(1, x1 - x0));
                const float v = static_cast<float>(y - y0) / static_cast<float>(std::max(1, y1 - y0));
                Rgb s = st.surface(static_cast<float>(x), static_cast<float>(y), u, v, nx, ny);
                s = s * (0.35f + 0.85f * diffuse) + Rgb{1, 1, 1} * (st.sheen * glint);
                // A dark line where the bevel meets the face keeps the letters crisp.
                const float crease = std::exp(-std::pow((in[i] - st.bevel) / 0.9f, 2.0f));
                s = s * (1.0f - 0.35f * crease);
                c = mix(c, s, cover);
            }
            img.at(x, y) = c;
        }
    // Glints on the upper left corners of letters: for each of `glints` strips across the lettering, the
    // pixel of the letters nearest to the upper left.
    for (int k = 0; k < glints; ++k) {
        const int sx0 = x0 + (x1 - x0) * (2 * k) / (2 * glints),
                  sx1 = x0 + (x1 - x0) * (2 * k + 1) / (2 * glints);
        int bx = -1, by = -1, best = 1 << 30;
        for (int y = y0; y <= y1; ++y)
            for (int x = sx0; x <= sx1; ++x)
                if (mask.at(x, y).r >= 0.5f && x + 2 * y < best) best = x + 2 * y, bx = x, by = y;
        if (bx >= 0)
            glint(img, static_cast<float>(bx) + 3.0f, static_cast<float>(by) + 3.0f, 26.0f, hex(0xfff8e8));
    }
    return img;
}

Image finish(const Image &big) {
    Image img = resize(big, 320, 240);
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    dither(img);
    return img;
}

} // namespace

Image logozarn() {
    Image mask(W, H);
    textmask(mask, Font::SansBold, 168.0f, 320.0f, 284.0f, "ZARN", 0.5f, 8.0f);
    Style st{9.0f, true, hex(0x6a3cff), hex(0xb01860) * 0.9f, hex(0x301040), 36.0f, 0.9f, chrome};
    Image img = drawlogo(mask, st, 2);
    // A chrome rule under the name and the subtitle below it.
    for (int y = 318; y < 326; ++y)
        for (int x = 150; x < 490; ++x) {
            const float fade = 1.0f - std::pow(std::fabs(static_cast<float>(x) - 320.0f) / 170.0f, 3.0f);
            img.at(x, y) =
                img.at(x, y) + chrome(0, 0, 0, static_cast<float>(y - 318) / 8.0f, 0, 0) * (0.8f * fade);
        }
    Image sub(W, H);
    textmask(sub, Font::SansCondensedBold, 34.0f, 320.0f, 376.0f, "p r e s e n t s", 0.5f);
    const Image subglow = blur(sub, 5);
    for (int i = 0; i < W * H; ++i) {
        const size_t k = static_cast<size_t>(i);
        img.px[k] = img.px[k] + hex(0x1060ff) * (subglow.px[k].r * 0.8f);
        img.px[k] = mix(img.px[k], hex(0x60e0ff), sub.px[k].r);
    }
    return finish(img);
}

Image logoveltor() {
    Image mask(W, H);
    textmask(mask, Font::SerifBold, 116.0f, 320.0f, 266.0f, "VELTOR", 0.5f, 4.0f);
    Style st{11.0f, false, hex(0x40e0ff), hex(0x2050ff) * 0.8f, hex(0x101838), 18.0f, 0.45f, stone};
    Image img = drawlogo(mask, st, 3);
    Image sub(W, H);
    textmask(sub, Font::Sans, 28.0f, 320.0f, 346.0f, "an art disk", 0.5f, 6.0f);
    const Image subglow = blur(sub, 5);
    for (int i = 0; i < W * H; ++i) {
        const size_t k = static_cast<size_t>(i);
        img.px[k] = img.px[k] + hex(0xff2080) * (subglow.px[k].r * 0.7f);
        img.px[k] = mix(img.px[k], hex(0xff70d8), sub.px[k].r);
    }
    return finish(img);
}

} // namespace mkdata
