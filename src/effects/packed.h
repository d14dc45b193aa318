// Packed-byte arithmetic shared by the fades and the particle effects: per-byte saturating add and
// subtract, and the scaled product, on whole pixels. The routines of effects.h use SSE2 when it is built
// in; the plain versions below give the same bytes and serve as the fallback and as the tests' reference.
#pragma once

#include <cstdint>
#include <cstring>

#if SHOWCASE_SSE2
#include <emmintrin.h>
#endif

namespace packed {

inline uint32_t loadpixel(const unsigned char *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void storepixel(unsigned char *p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

// min(255, a + b) in each of the four bytes.
inline uint32_t addsat(uint32_t a, uint32_t b) {
    uint32_t r = 0;
    for (int s = 0; s < 32; s += 8) {
        uint32_t v = ((a >> s) & 255u) + ((b >> s) & 255u);
        r |= (v > 255u ? 255u : v) << s;
    }
    return r;
}

// max(0, a - b) in each of the four bytes.
inline uint32_t subsat(uint32_t a, uint32_t b) {
    uint32_t r = 0;
    for (int s = 0; s < 32; s += 8) {
        uint32_t av = (a >> s) & 255u, bv = (b >> s) & 255u;
        r |= (av > bv ? av - bv : 0u) << s;
    }
    return r;
}

#if SHOWCASE_SSE2
inline __m128i load4(const unsigned char *p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
inline void store4(unsigned char *p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}

// (a x b) >> 8 in each of the sixteen bytes: a goes into the high byte of each 16-bit lane, so the high
// half of the product with b is already shifted down by 8.
inline __m128i mulscale4(__m128i a, __m128i b) {
    const __m128i zero = _mm_setzero_si128();
    __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, a), _mm_unpacklo_epi8(b, zero));
    __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, a), _mm_unpackhi_epi8(b, zero));
    return _mm_packus_epi16(lo, hi);
}
#endif

} // namespace packed

// The reference versions of the packed-byte routines of effects.h: same arguments, same bytes.
namespace plain {
void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask, int scale = 1);
void fadetowhite(unsigned char *buf, uint32_t add, int scale = 1);
void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow, int scale = 1);
void plot(uint32_t *dest, const uint32_t *sprite);
void motionblur(unsigned char *buffer, uint32_t amount);
void mergepicandparticles(const unsigned char *particles, unsigned char *dest, const unsigned char *picture);
} // namespace plain
