// morlen's five landscapes, each its own place: a coast of cliffs and surf, dunes under a low sun, a forest
// in mist, a winter valley with a frozen river, a canyon at night. Four are height fields drawn column by
// column from near to far (the voxel landscapes of the era), the forest is painted in layers of trees.
#include "gallery.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace mkdata {

namespace {

struct V {
    float x = 0, y = 0, z = 0;
};
float dot(V a, V b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V normalised(V a) {
    const float l = std::sqrt(dot(a, a));
    return {a.x / l, a.y / l, a.z / l};
}

// The eye above the ground plane (x right, z ahead, y up), looking level along its heading.
struct Eye {
    float x, z, height;
    float heading; // radians from +z towards +x
    float horizon; // row of the horizon, as a part of the picture's height
    float fov;     // width of the view at distance 1
    float far;     // how far the ground is drawn
    float step = 0.004f;
};

struct Ground {
    std::function<float(float, float)> height;
    // Colour of the ground at (x, z) of height h, with surface normal n, seen from distance d; sky is the
    // picture's sky at the row of the mirror image (for water).
    std::function<Rgb(float x, float z, float h, V n, float d, Rgb sky)> colour;
};

// Draws the ground over the sky already in img: for each column, steps from near to far and fills the rows
// that each new, higher point of the ground uncovers.
void drawground(Image &img, const Eye &e, const Ground &g) {
    const Image sky = img;
    const float fw = static_cast<float>(img.w), fh = static_cast<float>(img.h);
    const float hrow = e.horizon * fh, focal = fw / e.fov;
    const float sx = std::sin(e.heading), cz = std::cos(e.heading);
    for (int col = 0; col < img.w; ++col) {
        const float u = (static_cast<float>(col) + 0.5f - fw * 0.5f) / focal;
        const float dx = sx + cz * u, dz = cz - sx * u; // forward + right * u
        float lowest = fh;                              // the ground covers the picture from here down
        std::vector<Rgb> acc(static_cast<size_t>(img.h));
        std::vector<float> cover(static_cast<size_t>(img.h));
        float t = 1.0f;
        for (float next = t; t < e.far && lowest > 0.0f; t = next) {
            const float x = e.x + dx * t, z = e.z + dz * t;
            const float h = g.height(x, z);
            const float row = hrow + (e.height - h) * focal / t;
            // Small steps where a step moves the ground by more than a row (near and below the eye), so
            // that no band of rows takes the colour of a single sample.
            const float rowsperunit = std::max(e.height - h, 1.0f) * focal / (t * t);
            next = t + std::clamp(0.7f / rowsperunit, 0.01f, 0.02f + t * e.step);
            if (row >= lowest) continue;
            // The normal is taken across the stretch of ground one row covers: finer relief would only
            // flicker from row to row, as the moire of a grazing view.
            const float eps = std::clamp(0.5f / rowsperunit, 0.05f + t * 0.004f, 80.0f);
            const V n = normalised({(g.height(x - eps, z) - g.height(x + eps, z)) / (2 * eps), 1.0f,
                                    (g.height(x, z - eps) - g.height(x, z + eps)) / (2 * eps)});
            // Each row takes every piece of ground in it by the part of the row the piece covers, so that
            // far ground, many samples to a row, is averaged rather than picked.
            const float clipped = std::max(row, 0.0f);
            for (int y = static_cast<int>(std::floor(clipped)); static_cast<float>(y) < lowest; ++y) {
                const float piece =
                    std::min(lowest, static_cast<float>(y + 1)) - std::max(clipped, static_cast<float>(y));
                if (piece <= 0.0f) continue;
                const float mirror = std::clamp(2.0f * hrow - static_cast<float>(y), 0.0f, fh - 1.0f);
                const Rgb c = g.colour(x, z, h, n, t, sky.sample(static_cast<float>(col), mirror));
                acc[static_cast<size_t>(y)] = acc[static_cast<size_t>(y)] + c * piece;
                cover[static_cast<size_t>(y)] += piece;
            }
            lowest = clipped;
        }
        for (int y = 0; y < img.h; ++y) {
            const float k = std::min(1.0f, cover[static_cast<size_t>(y)]);
            img.at(col, y) =
                img.at(col, y) * (1.0f - k) +
                acc[static_cast<size_t>(y)] * (k > 0.0f ? k / cover[static_cast<size_t>(y)] : 0.0f);
        }
    }
}

struct Sky {
    Ramp ramp;           // from the top of the picture to the horizon
    float horizon;       // as in Eye
    V sun;               // position in the picture (x, y as parts of width and height), z its radius
    Rgb sunlight;        // glow colour
    float clouds = 0.0f; // 0 none .. 1 overcast
    Rgb cloud;           // lit colour of the clouds
    int stars = 0;       // how many
    uint32_t seed = 1;
};

Image drawsky(const Sky &s, int w, int h) {
    Image img(w, h);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) / fw, fy = static_cast<float>(y) / fh;
            Rgb c = s.ramp.at(fy / s.horizon);
            const float d = std::hypot((fx - s.sun.x) * fw / fh, fy - s.sun.y);
            c = c + s.sunlight *
                        (0.5f * std::exp(-d * d / (std::fabs(s.sun.z) * 10.0f)) + 0.2f * std::exp(-d * 4.0f));
            if (s.clouds > 0.0f) {
                // Streaks of cloud, flatter towards the horizon.
                const float squash = 1.0f + 5.0f * clamp01(fy / s.horizon);
                const float n = fbm(fx * 4.0f, fy * 4.0f * squash, 6, s.seed) + s.clouds - 0.55f;
                const float lit =
                    0.75f + 0.5f * fbm(fx * 4.0f - 0.02f, fy * 4.0f * squash + 0.03f, 4, s.seed);
                c = mix(c, s.cloud * lit + s.sunlight * (0.4f * std::exp(-d * 5.0f)),
                        smoothstep(0.0f, 0.3f, n));
            }
            img.at(x, y) = c;
        }
    Random r(s.seed);
    for (int i = 0; i < s.stars; ++i) {
        const float x = r.range(0, fw), y = r.range(0, fh * s.horizon), b = r.uniform();
        const float fade = 1.0f - y / (fh * s.horizon);
        img.add(static_cast<int>(x), static_cast<int>(y), Rgb{0.9f, 0.95f, 1.0f} * (b * b * b * fade * 0.9f));
    }
    if (s.sun.z > 0.0f) // a negative size: only the glow, the sun itself out of the picture
        fillcircle(img, s.sun.x * fw, s.sun.y * fh, s.sun.z * fh, mix(s.sunlight, Rgb{1, 1, 1}, 0.7f), 0.95f);
    return img;
}

void vignette(Image &img, float strength) {
    const float fw = static_cast<float>(img.w), fh = static_cast<float>(img.h);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float dx = static_cast<float>(x) / fw - 0.5f, dy = static_cast<float>(y) / fh - 0.5f;
            img.at(x, y) = img.at(x, y) * (1.0f - strength * (dx * dx + dy * dy));
        }
}

float lambert(V n, V l) {
    return std::max(0.0f, dot(n, l));
}

// ---- tolve: a coast of chalk cliffs, the sea breaking at their foot ----

Image coast(int w, int h) {
    const Sky sky{Ramp{{{0, hex(0x3c6ea8)}, {0.7f, hex(0x9cc4e0)}, {1, hex(0xe8eef0)}}},
                  0.40f,
                  {0.9f, 0.02f, -0.05f},
                  hex(0xfff4d0),
                  0.55f,
                  hex(0xf8f8fa),
                  0,
                  11};
    Image img = drawsky(sky, w, h);
    // The coastline: land to its left, falling to the sea in a cliff.
    auto shore = [](float z) { return -30.0f - z * 0.45f + 70.0f * fbm(z * 0.004f, 0.5f, 4, 12); };
    auto height = [&](float x, float z) {
        const float d = shore(z) - x; // > 0 on land
        const float top = 85.0f + 35.0f * fbm(x * 0.006f, z * 0.006f, 5, 13);
        const float cliff = top * smoothstep(-2.0f, 9.0f, d + 4.0f * fbm(x * 0.05f, z * 0.05f, 3, 14));
        return std::max(cliff - 6.0f, 0.0f);
    };
    const V sun = normalised({-0.6f, 0.6f, 0.5f});
    Ground g{height, [&](float x, float z, float hh, V n, float d, Rgb skyc) {
                 const float fog = clamp01(d / 2600.0f);
                 const float tosea = x - shore(z); // > 0 off the coast
                 Rgb c;
                 if (hh <= 0.0f) {
                     // Sea: deep green-blue, the sky mirrored at a grazing view, foam at the cliff's foot
                     // and in lines of breaking waves coming in.
                     const float wave = fbm(x * 0.08f, z * 0.02f, 4, 15) * clamp01(1.0f - d / 700.0f);
                     c = mix(hex(0x0c4a5a), hex(0x1f7a80), clamp01(0.5f + wave));
                     c = mix(c, skyc, clamp01(0.1f + d / 2500.0f));
                     const float surf = std::exp(-std::max(0.0f, tosea - 2.0f) / 9.0f);
                     const float lines = smoothstep(0.75f, 0.95f, std::sin(tosea * 0.12f + wave * 3.0f)) *
                                         std::exp(-tosea / 140.0f) * clamp01(1.0f - d / 900.0f);
                     const float foam =
                         clamp01((surf + lines) * (0.7f + 0.6f * fbm(x * 0.3f, z * 0.3f, 3, 16)));
                     c = mix(c, hex(0xf4f8f8), foam);
                 } else if (n.y > 0.8f) {
                     // Grass on the top, bleached by the wind.
                     c = mix(hex(0x4a7030), hex(0x9aa050), clamp01(0.5f + fbm(x * 0.03f, z * 0.03f, 4, 17)));
                     c = c * (0.55f + 0.6f * lambert(n, sun));
                 } else {
                     // Chalk in beds, darker where the sea has wet it.
                     const float beds =
                         0.5f + 0.5f * std::sin(hh * 0.7f + 2.0f * fbm(x * 0.02f, z * 0.02f, 3, 18));
                     c = mix(hex(0xd8d0bc), hex(0xb0a890), beds);
                     c = mix(c, hex(0x5a5a50), smoothstep(8.0f, 0.0f, hh) * 0.7f);
                     c = c * (0.45f + 0.75f * lambert(n, sun));
                 }
                 return mix(c, hex(0xc8d8e4), fog * 0.85f);
             }};
    drawground(img, {15.0f, 0.0f, 40.0f, -0.3f, 0.40f, 1.2f, 3000.0f}, g);
    vignette(img, 0.35f);
    return img;
}

// ---- brask: dunes under a low sun ----

Image dunes(int w, int h) {
    const Sky sky{
        Ramp{{{0, hex(0x2a3060)}, {0.55f, hex(0xc06048)}, {0.85f, hex(0xf0a050)}, {1, hex(0xffe0a0)}}},
        0.55f,
        {1.02f, 0.5f, -0.05f},
        hex(0xffc070),
        0.25f,
        hex(0xe08a70),
        0,
        23};
    Image img = drawsky(sky, w, h);
    auto height = [](float x, float z) {
        // Long crests across the wind: a gentle windward slope and a steep slip face, bent by the wind.
        const float u = x * 0.8f - z * 0.6f + 60.0f * fbm(x * 0.003f, z * 0.003f, 3, 24);
        const float ph = u / 110.0f - std::floor(u / 110.0f);
        const float profile = ph < 0.78f ? ph / 0.78f : (1.0f - ph) / 0.22f;
        return 26.0f * profile * profile * (3.0f - 2.0f * profile) + 8.0f * fbm(x * 0.01f, z * 0.01f, 3, 25);
    };
    const V sun = normalised({0.85f, 0.2f, 0.1f});
    Ground g{height, [&](float x, float z, float, V n, float d, Rgb) {
                 const float light = lambert(n, sun);
                 // Ripples on the sand catch the low light.
                 const float ripple =
                     d > 150.0f
                         ? 0.0f
                         : std::sin((x * 0.6f - z * 0.8f) * 0.9f + 3.0f * fbm(x * 0.05f, z * 0.05f, 2, 26));
                 Rgb c = mix(hex(0x3a2050), hex(0xe89850), smoothstep(0.05f, 0.45f, light));
                 c = mix(c, hex(0xffd8a0), smoothstep(0.5f, 0.9f, light) * 0.7f);
                 c = c * (1.0f + 0.12f * ripple * clamp01(1.0f - d / 150.0f));
                 return mix(c, hex(0xe0a080), clamp01(d / 2000.0f) * 0.8f);
             }};
    drawground(img, {0.0f, 0.0f, 48.0f, 0.35f, 0.55f, 1.5f, 2400.0f}, g);
    vignette(img, 0.4f);
    return img;
}

// ---- kindel II: a forest of firs in morning mist ----

Image forest(int w, int h) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fy = static_cast<float>(y) / fh;
            img.at(x, y) = mix(hex(0xb0c4bc), hex(0xeef0e2), smoothstep(0.0f, 0.65f, fy));
        }
    const float sunx = fw * 0.72f, suny = fh * 0.16f;
    glowdisc(img, sunx, suny, fh * 0.55f, hex(0xfff0c0) * 0.4f);
    Random r(31);
    const Rgb mist = hex(0xdce4da);
    const int layers = 6;
    for (int l = 0; l < layers; ++l) {
        const float near = static_cast<float>(l) / static_cast<float>(layers - 1); // 0 far .. 1 near
        const float base = fh * (0.40f + 0.5f * near * near);
        const float scale = 0.3f + 1.6f * near * near; // tree size
        // Coverage of this row of trees (r) and which side of its tree a pixel is on (g, -1 .. 1), how far
        // below the tip (b, as a part of the tree's height).
        Image cov(w, h);
        std::vector<float> ground(static_cast<size_t>(w));
        for (int x = 0; x < w; ++x) {
            ground[static_cast<size_t>(x)] =
                base -
                fh * 0.06f * (1.0f - near) * fbm(static_cast<float>(x) / fw * 3.0f, near * 7.0f, 4, 32);
            for (int y = std::max(0, static_cast<int>(ground[static_cast<size_t>(x)])); y < h; ++y)
                cov.at(x, y) = {1.0f, 0.0f, 1.0f};
        }
        // Firs: tiers of drooping boughs, each tier starting narrow under the one above and widening as
        // it hangs down; the trees stand apart enough for the mist to show between them.
        const int count = static_cast<int>(fw / (30.0f * scale + 6.0f));
        for (int i = 0; i < count; ++i) {
            const float cx = (static_cast<float>(i) + r.range(0.1f, 0.9f)) * fw / static_cast<float>(count);
            const float th = fh * scale * r.range(0.13f, 0.24f);
            const float halfw = th * r.range(0.17f, 0.23f);
            const float foot =
                ground[static_cast<size_t>(std::clamp(static_cast<int>(cx), 0, w - 1))] + th * 0.04f;
            const float tip = foot - th;
            const float tier = th / r.range(6.0f, 9.0f);
            for (int y = std::max(0, static_cast<int>(tip)); y < std::min(h, static_cast<int>(foot) + 1);
                 ++y) {
                const float d = static_cast<float>(y) + 0.5f - tip;
                const float ph = d / tier - std::floor(d / tier);
                const float hw =
                    halfw * (d / th) * (0.6f + 0.4f * ph) * (0.9f + 0.2f * noise(d * 0.3f, cx, 35));
                for (int x = static_cast<int>(cx - hw - 1.0f); x <= static_cast<int>(cx + hw + 1.0f); ++x) {
                    if (x < 0 || x >= w) continue;
                    const float a = clamp01(hw - std::fabs(static_cast<float>(x) + 0.5f - cx) + 0.5f);
                    Rgb &c = cov.at(x, y);
                    if (a > c.r || (a > 0.0f && c.b >= 1.0f)) {
                        c.r = std::max(c.r, a);
                        c.g = (static_cast<float>(x) + 0.5f - cx) / std::max(hw, 1.0f);
                        c.b = d / th;
                    }
                }
            }
        }
        const Rgb tree = mix(hex(0x1e3a2c), hex(0x0c1c14), near);
        const float haze = std::pow(1.0f - near, 1.3f) * 0.85f;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgb &k = cov.at(x, y);
                if (k.r <= 0.0f) continue;
                const float fx = static_cast<float>(x), fy = static_cast<float>(y);
                // Needles in clumps; the side towards the light brighter, the upper boughs brightest.
                Rgb c = tree * (0.75f + (0.3f + 0.4f * near) * fbm(fx * (0.06f + 0.12f * near),
                                                                   fy * (0.06f + 0.12f * near), 4,
                                                                   33 + static_cast<uint32_t>(l)));
                c = c * (0.75f + 0.5f * clamp01(0.5f + 0.6f * k.g) + 0.35f * (1.0f - clamp01(k.b)));
                // Mist lies low: deeper below the tree tops of this row.
                const float low = smoothstep(base - fh * 0.05f, base + fh * 0.12f, fy) * (1.0f - 0.5f * near);
                c = mix(c, mist, clamp01(haze + low * 0.5f));
                img.at(x, y) = mix(img.at(x, y), c, k.r);
            }
        // A bank of mist in front of the row, thinning upwards.
        for (int y = 0; y < h; ++y) {
            const float band =
                std::exp(-std::pow((static_cast<float>(y) - base - fh * 0.02f) / (fh * 0.05f), 2.0f));
            if (band < 0.01f) continue;
            for (int x = 0; x < w; ++x) {
                const float drift = 0.5f + 0.5f * fbm(static_cast<float>(x) * 0.006f,
                                                      near * 5.0f + static_cast<float>(y) * 0.01f, 3, 36);
                img.at(x, y) = mix(img.at(x, y), mist, band * drift * 0.55f * (1.0f - near * 0.5f));
            }
        }
    }
    // Shafts of light from the upper right through the mist.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float u = (static_cast<float>(x) - sunx) * 0.8f + (static_cast<float>(y) - suny) * 0.6f;
            const float shaft = std::pow(clamp01(0.5f + 0.5f * noise(u * 0.03f, 0.5f, 34)), 4.0f);
            const float fall = std::exp(
                -std::hypot(static_cast<float>(x) - sunx, static_cast<float>(y) - suny) / (fh * 0.6f));
            img.add(x, y, hex(0xfff4d0) * (0.22f * shaft * fall));
        }
    vignette(img, 0.5f);
    return img;
}

// ---- ospar: a winter valley, its river frozen ----

Image winter(int w, int h) {
    const Sky sky{Ramp{{{0, hex(0x1c3a6a)}, {0.7f, hex(0x8aa8c8)}, {1, hex(0xf0c8c0)}}},
                  0.30f,
                  {0.1f, 0.27f, 0.03f},
                  hex(0xffd0b0),
                  0.3f,
                  hex(0xd8c8d8),
                  0,
                  41};
    Image img = drawsky(sky, w, h);
    auto river = [](float z) { return 90.0f * std::sin(z * 0.0035f) + 35.0f * std::sin(z * 0.011f + 1.0f); };
    auto height = [&](float x, float z) {
        const float d = std::fabs(x - river(z));
        const float banks = smoothstep(18.0f, 70.0f, d) * (d - 18.0f) * 0.35f;
        const float peaks = 420.0f * ridged(x * 0.0022f, z * 0.0022f, 6, 42) * smoothstep(60.0f, 700.0f, d);
        return std::max(0.0f, banks + peaks +
                                  6.0f * fbm(x * 0.02f, z * 0.02f, 3, 43) * smoothstep(18.0f, 40.0f, d));
    };
    const V sun = normalised({-0.8f, 0.35f, 0.3f});
    Ground g{height, [&](float x, float z, float hh, V n, float d, Rgb) {
                 const float light = lambert(n, sun);
                 Rgb c;
                 if (hh <= 0.01f) {
                     // Ice: pale blue-green, with cracks and wind-blown snow.
                     const float crack = std::fabs(noise(x * 0.15f, z * 0.05f, 44));
                     c = mix(hex(0x8ab8c8), hex(0xd0eef0), clamp01(0.5f + fbm(x * 0.05f, z * 0.02f, 3, 45)));
                     c = c * (0.75f + 0.25f * smoothstep(0.0f, 0.08f, crack));
                 } else if (n.y < 0.62f) {
                     c = mix(hex(0x2a2a34), hex(0x6a6a78), light); // bare rock on the steep faces
                 } else {
                     // Snow, blue in the shade, warm where the low sun reaches, with dark firs on the lower
                     // slopes.
                     c = mix(hex(0x5a70a8), hex(0xf4f4f8), smoothstep(0.1f, 0.7f, light));
                     const float firs = smoothstep(0.55f, 0.7f, fbm(x * 0.06f, z * 0.06f, 3, 46)) *
                                        smoothstep(260.0f, 60.0f, hh) * clamp01(1.0f - d / 1500.0f);
                     c = mix(c, hex(0x1a2a28), firs * 0.85f);
                 }
                 return mix(c, hex(0xb0b8d0), clamp01(d / 3800.0f) * 0.9f);
             }};
    drawground(img, {river(0.0f) + 20.0f, 0.0f, 150.0f, 0.05f, 0.30f, 1.3f, 4000.0f, 0.003f}, g);
    vignette(img, 0.3f);
    return img;
}

// ---- feldt: a canyon at night under the moon ----

Image canyon(int w, int h) {
    const Sky sky{Ramp{{{0, hex(0x02030a)}, {0.7f, hex(0x0a1430)}, {1, hex(0x24304a)}}},
                  0.5f,
                  {0.68f, 0.16f, 0.03f},
                  hex(0xc8d8ff),
                  0.0f,
                  {},
                  1400,
                  51};
    Image img = drawsky(sky, w, h);
    // The band of the galaxy across the sky.
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) / static_cast<float>(w),
                        fy = static_cast<float>(y) / static_cast<float>(h);
            const float band = std::exp(-std::pow((fy - 0.05f - fx * 0.35f) / 0.09f, 2.0f));
            const float dust = clamp01(0.5f + fbm(fx * 8.0f, fy * 8.0f, 5, 52));
            img.add(x, y, hex(0x303048) * (band * dust * 0.9f));
        }
    auto path = [](float z) { return 40.0f * std::sin(z * 0.006f) + 25.0f * std::sin(z * 0.017f); };
    auto height = [&](float x, float z) {
        const float d = std::fabs(x - path(z)) + 10.0f * fbm(x * 0.02f, z * 0.02f, 3, 53);
        const float open = smoothstep(25.0f, 110.0f, d);
        // Terraces: the walls step back in beds of harder rock.
        const float raw = 170.0f * open;
        const float bed = std::floor(raw / 22.0f);
        const float frac = raw / 22.0f - bed;
        return (bed + smoothstep(0.55f, 1.0f, frac)) * 22.0f + 4.0f * fbm(x * 0.05f, z * 0.05f, 2, 54);
    };
    const V moon = normalised({0.4f, 0.7f, 0.6f});
    Ground g{height, [&](float, float, float hh, V n, float d, Rgb skyc) {
                 Rgb c;
                 if (hh < 6.0f) {
                     c = mix(hex(0x0a1020), skyc * 1.4f, 0.6f); // the river mirrors the sky
                 } else {
                     // Beds of red and cream sandstone, lit by the moon.
                     const float bed = 0.5f + 0.5f * std::sin(hh * 0.29f);
                     c = mix(hex(0x8a3a28), hex(0xd8b088), bed * bed);
                     c = c * (0.12f + 0.8f * lambert(n, moon));
                     c = c * hex(0x90a8e0);
                 }
                 return mix(c, hex(0x0a1024), clamp01(d / 2400.0f));
             }};
    drawground(img, {path(0.0f), 0.0f, 46.0f, 0.1f, 0.5f, 1.2f, 2600.0f}, g);
    glowdisc(img, 0.68f * static_cast<float>(w), 0.16f * static_cast<float>(h), 90.0f, hex(0x304060) * 0.6f);
    vignette(img, 0.45f);
    return img;
}

} // namespace

Image landscape(int which, int w, int h) {
    Image img;
    switch (which) {
    case 0:
        img = coast(w, h);
        break;
    case 1:
        img = dunes(w, h);
        break;
    case 2:
        img = forest(w, h);
        break;
    case 3:
        img = winter(w, h);
        break;
    default:
        img = canyon(w, h);
        break;
    }
    signature(img, "morlen", Rgb{1, 1, 1});
    return img;
}

} // namespace mkdata
