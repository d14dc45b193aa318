// Fades and blends over the 320 x 240 frames: the logo fade-in, the fade to white and the glowing
// selection box of the art menu. Every byte of a pixel is an independent 8-bit value that saturates.
// At a larger scale each works on the frame and pictures enlarged by that whole multiple, and so gives
// exactly the enlargement of what it gives at 320 x 240.
#include <cstring>

#include "effects/effects.h"
#include "effects/packed.h"

uint32_t fadenrtab[256];
const int FADESTEP = 4;

namespace {
constexpr int LOWW = 320; // pixels a row of the low-resolution frames
constexpr int LOWH = 240;
constexpr int BARW = 100;     // pixels a row of the artists' bar
constexpr int BARROWS = 1600; // rows the bar's block has room for
// The selection box: bar rows 26..73 (plus the scroll position), bar columns 18..81, drawn 20 pixels
// further right in the art menu, where the bar starts.
constexpr int BOXTOP = 26, BOXROWS = 48;
constexpr int BOXLEFT = 18, BOXCOLS = 64;
constexpr int BARLEFT = 20;

// The box reads bar rows srcrow + 26 .. srcrow + 73; a position past the bar's block draws nothing.
bool boxinsidebar(int srcrow) {
    return srcrow >= 0 && srcrow <= BARROWS - (BOXTOP + BOXROWS);
}
} // namespace

void fillfadenrtab() {
    for (uint32_t k = 0; k < 256; ++k) fadenrtab[k] = k * 0x010101u;
}

void enlargepicture(const unsigned char *src, int width, int height, unsigned char *dest, int scale,
                    long destpitch) {
    const uint32_t *s = reinterpret_cast<const uint32_t *>(src);
    const long w = long(width) * scale;
    const long pitch = destpitch ? destpitch : w * 4;
    for (int y = 0; y < height; y++) {
        unsigned char *first = dest + long(y) * scale * pitch;
        uint32_t *row = reinterpret_cast<uint32_t *>(first);
        for (int x = 0; x < width; x++)
            for (int i = 0; i < scale; i++) row[x * scale + i] = s[long(y) * width + x];
        for (int i = 1; i < scale; i++) std::memcpy(first + i * pitch, first, size_t(w) * 4);
    }
}

namespace plain {

void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask, int scale) {
    const long bytes = long(LOWW) * LOWH * 4 * scale * scale;
    for (long i = 0; i < bytes; i += 4)
        packed::storepixel(dest + i,
                           packed::addsat(packed::loadpixel(dest + i), packed::loadpixel(src + i) & mask));
}

void fadetowhite(unsigned char *buf, uint32_t add, int scale) {
    for (int y = scale; y < LOWH * scale; ++y) {
        unsigned char *row = buf + long(y) * LOWW * scale * 4;
        for (int i = 0; i < (LOWW - 1) * scale * 4; i += 4)
            packed::storepixel(row + i, packed::addsat(packed::loadpixel(row + i), add));
    }
}

void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow, int scale) {
    if (!boxinsidebar(srcrow)) return;
    const uint32_t red = static_cast<uint32_t>(glow) * 65536u;
    const int k = scale;
    for (int r = BOXTOP * k; r < (BOXTOP + BOXROWS) * k; ++r) {
        unsigned char *d = dest + (long(r) * LOWW * k + (BOXLEFT + BARLEFT) * k) * 4;
        const unsigned char *s = src + (long(r + srcrow * k) * BARW * k + BOXLEFT * k) * 4;
        for (int i = 0; i < BOXCOLS * k * 4; i += 4)
            packed::storepixel(d + i, packed::addsat(packed::loadpixel(s + i), red));
    }
}

} // namespace plain

#if SHOWCASE_SSE2

void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask, int scale) {
    const __m128i m = _mm_set1_epi32(static_cast<int>(mask));
    const long bytes = long(LOWW) * LOWH * 4 * scale * scale;
    for (long i = 0; i < bytes; i += 16)
        packed::store4(dest + i,
                       _mm_adds_epu8(packed::load4(dest + i), _mm_and_si128(packed::load4(src + i), m)));
}

void fadetowhite(unsigned char *buf, uint32_t add, int scale) {
    const __m128i a = _mm_set1_epi32(static_cast<int>(add));
    // The last column, scale pixels wide, stays as it is: the group of four pixels that reaches into it
    // adds only to those before it, and groups that lie wholly inside it are not touched.
    const int w = LOWW * scale, keep = scale & 3;
    const int lanes[4] = {static_cast<int>(add), keep < 3 ? static_cast<int>(add) : 0,
                          keep < 2 ? static_cast<int>(add) : 0, keep < 1 ? static_cast<int>(add) : 0};
    const __m128i last = _mm_set_epi32(lanes[3], lanes[2], lanes[1], lanes[0]);
    const int whole = (w - scale) & ~3; // pixels before the last group that is touched
    for (int y = scale; y < LOWH * scale; ++y) {
        unsigned char *row = buf + long(y) * w * 4;
        for (int i = 0; i < whole * 4; i += 16)
            packed::store4(row + i, _mm_adds_epu8(packed::load4(row + i), a));
        if (keep == 0) continue;
        unsigned char *tail = row + whole * 4;
        packed::store4(tail, _mm_adds_epu8(packed::load4(tail), last));
    }
}

void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow, int scale) {
    if (!boxinsidebar(srcrow)) return;
    const __m128i red = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(glow) * 65536u));
    const int k = scale;
    for (int r = BOXTOP * k; r < (BOXTOP + BOXROWS) * k; ++r) {
        unsigned char *d = dest + (long(r) * LOWW * k + (BOXLEFT + BARLEFT) * k) * 4;
        const unsigned char *s = src + (long(r + srcrow * k) * BARW * k + BOXLEFT * k) * 4;
        for (int i = 0; i < BOXCOLS * k * 4; i += 16)
            packed::store4(d + i, _mm_adds_epu8(packed::load4(s + i), red));
    }
}

#else

void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask, int scale) {
    plain::fadeinpicture(dest, src, mask, scale);
}
void fadetowhite(unsigned char *buf, uint32_t add, int scale) {
    plain::fadetowhite(buf, add, scale);
}
void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow, int scale) {
    plain::hilightselection(glow, dest, src, srcrow, scale);
}

#endif
