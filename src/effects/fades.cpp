// Fades and blends over the 320 x 240 frames: the logo fade-in, the fade to white and the glowing
// selection box of the art menu. Every byte of a pixel is an independent 8-bit value that saturates.
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

namespace plain {

void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask) {
    for (int i = 0; i < LOWW * LOWH * 4; i += 4)
        packed::storepixel(dest + i,
                           packed::addsat(packed::loadpixel(dest + i), packed::loadpixel(src + i) & mask));
}

void fadetowhite(unsigned char *buf, uint32_t add) {
    for (int y = 1; y < LOWH; ++y) {
        unsigned char *row = buf + y * LOWW * 4;
        for (int i = 0; i < (LOWW - 1) * 4; i += 4)
            packed::storepixel(row + i, packed::addsat(packed::loadpixel(row + i), add));
    }
}

void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow) {
    if (!boxinsidebar(srcrow)) return;
    const uint32_t red = static_cast<uint32_t>(glow) * 65536u;
    for (int r = BOXTOP; r < BOXTOP + BOXROWS; ++r) {
        unsigned char *d = dest + (r * LOWW + BOXLEFT + BARLEFT) * 4;
        const unsigned char *s = src + ((r + srcrow) * BARW + BOXLEFT) * 4;
        for (int i = 0; i < BOXCOLS * 4; i += 4)
            packed::storepixel(d + i, packed::addsat(packed::loadpixel(s + i), red));
    }
}

} // namespace plain

#if SHOWCASE_SSE2

void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask) {
    const __m128i m = _mm_set1_epi32(static_cast<int>(mask));
    for (int i = 0; i < LOWW * LOWH * 4; i += 16)
        packed::store4(dest + i,
                       _mm_adds_epu8(packed::load4(dest + i), _mm_and_si128(packed::load4(src + i), m)));
}

void fadetowhite(unsigned char *buf, uint32_t add) {
    const __m128i a = _mm_set1_epi32(static_cast<int>(add));
    // The last four pixels of a row add nothing to column 319.
    const __m128i last =
        _mm_set_epi32(0, static_cast<int>(add), static_cast<int>(add), static_cast<int>(add));
    for (int y = 1; y < LOWH; ++y) {
        unsigned char *row = buf + y * LOWW * 4;
        for (int i = 0; i < (LOWW - 4) * 4; i += 16)
            packed::store4(row + i, _mm_adds_epu8(packed::load4(row + i), a));
        unsigned char *tail = row + (LOWW - 4) * 4;
        packed::store4(tail, _mm_adds_epu8(packed::load4(tail), last));
    }
}

void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow) {
    if (!boxinsidebar(srcrow)) return;
    const __m128i red = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(glow) * 65536u));
    for (int r = BOXTOP; r < BOXTOP + BOXROWS; ++r) {
        unsigned char *d = dest + (r * LOWW + BOXLEFT + BARLEFT) * 4;
        const unsigned char *s = src + ((r + srcrow) * BARW + BOXLEFT) * 4;
        for (int i = 0; i < BOXCOLS * 4; i += 16)
            packed::store4(d + i, _mm_adds_epu8(packed::load4(s + i), red));
    }
}

#else

void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask) {
    plain::fadeinpicture(dest, src, mask);
}
void fadetowhite(unsigned char *buf, uint32_t add) {
    plain::fadetowhite(buf, add);
}
void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow) {
    plain::hilightselection(glow, dest, src, srcrow);
}

#endif
