// tasp's five colour fields, each a technique of its own: stacked fields of brushed colour (tall), marbling
// folded into itself, leaded glass, poured paint running down the canvas, and rings that interfere and
// then settle into waves (tall).
#include "gallery.h"

#include <algorithm>
#include <cmath>

namespace mkdata {

namespace {

// A fine canvas weave over everything.
void canvas(Image &img, float strength) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float wv =
                strength * std::sin(static_cast<float>(x) * 1.9f) * std::sin(static_cast<float>(y) * 1.9f);
            img.at(x, y) = img.at(x, y) + Rgb{wv, wv, wv};
        }
}

// ---- vornig: fields of colour stacked down a tall canvas ----

Image fields(int w, int h) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    Image img(w, h, hex(0x3a0e14));
    struct Field {
        float y0, y1; // parts of the height
        Rgb colour;
        float softness;
    };
    // A broad red field over a thin band of fire at the top; below, the fields grow darker, colder and
    // narrower, down to a deep green-black with a seam of violet light.
    const Field stack[] = {
        {0.04f, 0.36f, hex(0xc8281c), 14.0f}, {0.40f, 0.45f, hex(0xf09020), 6.0f},
        {0.50f, 0.66f, hex(0x5a1238), 12.0f}, {0.69f, 0.73f, hex(0x1a4a8a), 5.0f},
        {0.76f, 0.93f, hex(0x08241e), 16.0f},
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            // The ground, brushed across.
            Rgb c = img.at(x, y) * (0.85f + 0.3f * fbm(fx * 0.004f, fy * 0.04f, 4, 61));
            for (const Field &f : stack) {
                const float edge = f.softness * (1.0f + 0.6f * fbm(fx * 0.01f, fy * 0.01f, 3, 62));
                const float inside =
                    std::min({fy - f.y0 * fh, f.y1 * fh - fy, fx - fw * 0.07f, fw * 0.93f - fx});
                const float a = smoothstep(-edge, edge, inside);
                if (a <= 0.0f) continue;
                // Horizontal brush strokes in the paint, and a glow where it is thin.
                const float stroke =
                    fbm(fx * 0.006f, fy * 0.09f, 5, 63 + static_cast<uint32_t>(f.y0 * 100.0f));
                Rgb p = f.colour * (0.85f + 0.35f * stroke);
                p = p * (0.8f + 0.2f * smoothstep(0.0f, edge * 3.0f, inside)); // thinner at the edge
                c = mix(c, p, a * 0.95f);
            }
            img.at(x, y) = c;
        }
    glowdisc(img, fw * 0.5f, fh * 0.745f, fw * 0.5f, hex(0x6020a0) * 0.35f);
    canvas(img, 0.02f);
    return img;
}

// ---- plessa: marbling, colour folded into itself ----

Image marbling(int w, int h) {
    const Ramp ramp{{{0, hex(0x101030)}, {0.4f, hex(0x5a2a8a)}, {0.7f, hex(0xe070a0)}, {1, hex(0xfff0e0)}}};
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float px = static_cast<float>(x) / 370.0f, py = static_cast<float>(y) / 370.0f;
            const float qx = fbm(px, py, 4, 202), qy = fbm(px + 5.2f, py + 1.3f, 4, 202);
            const float rx = fbm(px + 4.0f * qx + 1.7f, py + 4.0f * qy + 9.2f, 5, 203);
            const float ry = fbm(px + 4.0f * qx + 8.3f, py + 4.0f * qy + 2.8f, 5, 203);
            const float f = fbm(px + 3.0f * rx, py + 3.0f * ry, 4, 204);
            Rgb c = ramp.at(clamp01(0.5f + f * 1.3f));
            c = mix(c, hex(0x20a0a0), clamp01(std::hypot(qx, qy) * 1.6f - 0.4f) * 0.6f);
            c = c * (0.75f + 0.5f * clamp01(rx * rx * 4.0f));
            const float lx = static_cast<float>(x) / static_cast<float>(w) - 0.3f,
                        ly = static_cast<float>(y) / static_cast<float>(w) - 0.25f;
            img.at(x, y) = c * (0.55f + 0.75f * std::exp(-(lx * lx + ly * ly) * 2.5f));
        }
    canvas(img, 0.03f);
    return img;
}

// ---- durnet: leaded glass, lit from behind ----

Image leadedglass(int w, int h) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    Image img(w, h);
    const float cellsize = 46.0f;
    const Rgb glass[6] = {hex(0xc01830), hex(0x1848b0), hex(0xe0a020),
                          hex(0x208050), hex(0x7020a0), hex(0x20a0c0)};
    auto site = [&](int i, int j, float &sx, float &sy) {
        Random r(static_cast<uint64_t>(i * 7919 + j * 104729 + 71));
        sx = (static_cast<float>(i) + 0.15f + 0.7f * r.uniform()) * cellsize;
        sy = (static_cast<float>(j) + 0.15f + 0.7f * r.uniform()) * cellsize;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            // The pattern bends round a rose at the centre: cells are found in a swirled space.
            const float cx = fx - fw * 0.5f, cy = fy - fh * 0.5f;
            const float r0 = std::hypot(cx, cy), a0 = std::atan2(cy, cx) + r0 * 0.004f;
            const float ux = fw * 0.5f + r0 * std::cos(a0), uy = fh * 0.5f + r0 * std::sin(a0);
            const int ci = static_cast<int>(std::floor(ux / cellsize)),
                      cj = static_cast<int>(std::floor(uy / cellsize));
            float d1 = 1e9f, d2 = 1e9f, bx = 0, by = 0;
            int best = 0;
            for (int j = cj - 1; j <= cj + 1; ++j)
                for (int i = ci - 1; i <= ci + 1; ++i) {
                    float sx, sy;
                    site(i, j, sx, sy);
                    const float d = std::hypot(ux - sx, uy - sy);
                    if (d < d1) {
                        d2 = d1, d1 = d, bx = sx, by = sy;
                        best = (i * 31 + j * 17 + 1000) % 6;
                    } else if (d < d2) {
                        d2 = d;
                    }
                }
            const float lead = d2 - d1; // distance to the cell's edge, roughly
            Rgb c = glass[best];
            // Each pane is brighter at its heart and mottled, like blown glass.
            c = c * (0.55f + 0.6f * std::exp(-std::hypot(ux - bx, uy - by) / cellsize * 1.8f));
            c = c * (0.85f + 0.3f * fbm(fx * 0.05f, fy * 0.05f, 3, 72));
            // The rose window's rings of lead.
            const float ring = std::fabs(std::fmod(r0 + 1000.0f, 70.0f) - 35.0f);
            const float leaded = std::min(lead, r0 < 220.0f ? ring * 2.0f : 1e9f);
            c = mix(hex(0x141210), c, smoothstep(2.0f, 4.5f, leaded));
            // Light falling through the window onto a dark wall.
            c = c * (0.35f + 0.95f * std::exp(-r0 / (fh * 0.55f)));
            img.at(x, y) = c;
        }
    return img;
}

// ---- halde: paint poured along the top, running down the canvas ----

Image poured(int w, int h) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const Ramp paint{{{0, hex(0x1a1a40)},
                      {0.2f, hex(0x2050b0)},
                      {0.4f, hex(0xf0f0e0)},
                      {0.55f, hex(0xe0b020)},
                      {0.75f, hex(0xc03010)},
                      {1, hex(0x301010)}}};
    Image img(w, h);
    for (int x = 0; x < w; ++x) {
        const float fx = static_cast<float>(x);
        // The colour poured at this column, and how far it ran before it dried.
        const float hue = clamp01(0.5f + 0.9f * fbm(fx * 0.006f, 0.3f, 4, 81));
        const float pool = fh * (0.24f + 0.1f * fbm(fx * 0.01f, 1.7f, 3, 82));
        const float drip = noise(fx * 0.09f, 4.1f, 83) + 0.5f * noise(fx * 0.31f, 2.2f, 84);
        const float run = pool + fh * 0.85f * std::pow(clamp01(drip * 0.8f + 0.45f), 2.0f);
        for (int y = 0; y < h; ++y) {
            const float fy = static_cast<float>(y);
            // Bare canvas below, warm and grainy.
            Rgb c = mix(hex(0xe8dcc0), hex(0xcfc0a0), clamp01(0.5f + fbm(fx * 0.02f, fy * 0.02f, 4, 85)));
            // Pours overlap along the top in wavy layers.
            const float layer = fy / pool + 0.4f * fbm(fx * 0.01f, fy * 0.01f, 3, 86);
            const Rgb p = paint.at(clamp01(hue + 0.25f * std::sin(layer * 4.0f)));
            // A run narrows to a rounded bead at its end, and is glossy along its middle.
            const float a = smoothstep(run + 3.0f, run - 3.0f, fy);
            const float gloss = std::exp(-std::pow(std::sin(fx * 0.09f * 6.2832f * 0.5f), 2.0f) * 3.0f);
            c = mix(c, p * (0.85f + 0.3f * gloss * smoothstep(pool, pool + 30.0f, fy)), a);
            img.at(x, y) = c;
        }
    }
    // A splash of white flicked across the runs.
    Random r(87);
    for (int i = 0; i < 26; ++i) {
        const float x = r.range(0, fw), y = r.range(fh * 0.3f, fh * 0.9f);
        fillcircle(img, x, y, r.range(1.5f, 5.0f), hex(0xfafaf0), 0.9f);
    }
    canvas(img, 0.025f);
    return img;
}

// ---- grumol: rings from two centres interfering, settling into waves further down (tall) ----

Image interference(int w, int h) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    Image img(w, h);
    const Rgb ink = hex(0x141018), paper = hex(0xf0e8d8);
    const Rgb warm = hex(0xe05a20), cold = hex(0x2060c0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            const float r1 = std::hypot(fx - fw * 0.32f, fy - fh * 0.2f);
            const float r2 = std::hypot(fx - fw * 0.7f, fy - fh * 0.3f);
            const float rings = std::sin(r1 * 0.16f) + std::sin(r2 * 0.16f);
            // Further down the rings give way to waves, closer together towards the bottom.
            const float k = 0.05f + 0.1f * fy / fh;
            const float waves = 2.0f * std::sin(fy * k * 2.0f + 2.5f * std::sin(fx * 0.012f + fy * 0.004f));
            const float t = smoothstep(0.35f, 0.7f, fy / fh);
            const float v = rings * (1.0f - t) + waves * t;
            // Hard edges, as drawn with a ruling pen, softened by a pixel.
            const float a = smoothstep(-0.08f, 0.08f, v);
            const Rgb tint = mix(warm, cold, clamp01((fx / fw) * 0.6f + (fy / fh) * 0.6f - 0.1f));
            Rgb c = mix(ink, mix(paper, tint, 0.55f + 0.45f * std::sin(v * 1.3f)), a);
            img.at(x, y) = c;
        }
    canvas(img, 0.015f);
    return img;
}

} // namespace

Image colourfield(int which, int w, int h) {
    Image img;
    switch (which) {
    case 0:
        img = fields(w, h);
        break;
    case 1:
        img = marbling(w, h);
        break;
    case 2:
        img = leadedglass(w, h);
        break;
    case 3:
        img = poured(w, h);
        break;
    default:
        img = interference(w, h);
        break;
    }
    signature(img, "tasp", Rgb{1, 0.95f, 0.85f});
    return img;
}

} // namespace mkdata
