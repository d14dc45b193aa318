// Small builders shared by the renderer's tests.
#pragma once

#include <cstdint>
#include <vector>

#include "render/tribuffer.h"

// A 320 x 240 rendering area with rows of 1280 bytes.
struct frame {
    std::vector<uint32_t> px = std::vector<uint32_t>(320 * 240, 0);
    unsigned char *bytes() { return reinterpret_cast<unsigned char *>(px.data()); }
    uint32_t at(int x, int y) const { return px[size_t(y) * 320 + size_t(x)]; }
};

// A projected vertex: screen x, y, w = 1/z, texel u, v.
inline td3point sv(float x, float y, float u = 0, float v = 0, float w = 1) {
    return td3point{x, y, w, u, v};
}

// Sets up and draws one projected triangle with the given rasteriser; false when set-up rejects it.
inline bool drawone(td3point a, td3point b, td3point c, const uint32_t *tex, drawfunc draw, frame &f) {
    textmapclip t{};
    td3point p[3] = {a, b, c};
    t.texture = const_cast<uint32_t *>(tex);
    t.draw = draw;
    if (!calctmapdeltas(p, &t)) return false;
    draw(&t, f.bytes(), frame320);
    return true;
}

// A texture whose texel holds its own coordinates: blue = u, green = v, red = 0x80.
inline std::vector<uint32_t> coordtexture() {
    std::vector<uint32_t> t(65536);
    for (uint32_t v = 0; v < 256; v++)
        for (uint32_t u = 0; u < 256; u++) t[v * 256 + u] = 0x800000u | (v << 8) | u;
    return t;
}
