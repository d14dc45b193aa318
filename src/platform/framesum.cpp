// The checksum of a shown frame, the one the browser's test mode hands to the page and a native capture
// writes to a .sums file, so the two platforms' frames can be compared sum for sum.
#include "platform/capture.h"

#include <cstddef>

uint32_t framesum(const uint32_t *pixels, int width, int height) {
    // FNV-1a a pixel (its red, green and blue; the unused top byte left out) a step, in LANES lanes that each
    // take every LANES-th pixel, so that the multiplies do not wait for one another and run side by side in
    // packed registers. Then the frame's width and height and the lanes go through FNV-1a byte by byte (four
    // bytes each, lowest first). A capture sums every frame: byte by byte, that cost more than drawing it.
    constexpr uint32_t BASIS = 2166136261u, PRIME = 16777619u;
    constexpr int LANES = 32;
    uint32_t lane[LANES];
    for (uint32_t &l : lane) l = BASIS;
    const size_t n = size_t(width) * size_t(height);
    size_t i = 0;
    for (; i + LANES <= n; i += LANES)
        for (int k = 0; k < LANES; k++) lane[k] = (lane[k] ^ (pixels[i + k] & 0xffffffu)) * PRIME;
    for (int k = 0; i < n; i++, k++) lane[k] = (lane[k] ^ (pixels[i] & 0xffffffu)) * PRIME;

    uint32_t h = BASIS;
    auto word = [&h](uint32_t v) {
        for (int k = 0; k < 4; k++) h = (h ^ ((v >> (8 * k)) & 0xffu)) * PRIME;
    };
    word(uint32_t(width));
    word(uint32_t(height));
    for (uint32_t l : lane) word(l);
    return h;
}
