// The checksum of a shown frame, the one the browser's test mode hands to the page and a native capture
// writes to a .sums file, so the two platforms' frames can be compared sum for sum.
#include "platform/capture.h"

uint32_t framesum(const uint32_t *pixels, int width, int height) {
    // FNV-1a over the frame's width and height (four bytes each, lowest first), then the red, green and
    // blue bytes of its pixels, row by row.
    uint32_t h = 2166136261u;
    auto byte = [&h](uint8_t b) { h = (h ^ b) * 16777619u; };
    for (int v : {width, height})
        for (int k = 0; k < 4; k++) byte(uint8_t(unsigned(v) >> (8 * k)));
    for (size_t i = 0, n = size_t(width) * height; i < n; i++) {
        byte(uint8_t(pixels[i] >> 16));
        byte(uint8_t(pixels[i] >> 8));
        byte(uint8_t(pixels[i]));
    }
    return h;
}
