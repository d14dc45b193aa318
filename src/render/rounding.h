// Float-to-integer conversions of the renderer. The show's arithmetic rounds every such conversion
// upwards; a value that does not fit (NaN, infinities, huge) becomes the integer that the processor's
// conversion gives for it, the most negative one, instead of undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

#if SHOWCASE_SSE2
#include <emmintrin.h>
#endif

// Truncation plus one when something was cut off: the exact ceiling, without a library call.
inline int32_t ceil32(float f) {
    if (!(f > -2147483648.0f && f <= 2147483520.0f)) return INT32_MIN;
    const int32_t i = static_cast<int32_t>(f);
    return static_cast<float>(i) < f ? i + 1 : i;
}

#if SHOWCASE_SSE2
// Four at once, lane by lane the same as ceil32, without branches. The processor's conversion already
// gives the most negative integer for a value that does not fit; such a lane only must not be stepped
// up. The integer back in float is exact: below 2^24 every integer is a float, above it the value is an
// integer already.
inline __m128i ceil32x4(__m128 f) {
    const __m128i i = _mm_cvttps_epi32(f);
    const __m128i cut = _mm_castps_si128(_mm_cmplt_ps(_mm_cvtepi32_ps(i), f));
    const __m128i unfit = _mm_cmpeq_epi32(i, _mm_set1_epi32(INT32_MIN));
    return _mm_sub_epi32(i, _mm_andnot_si128(unfit, cut));
}
#endif

using v4 = float __attribute__((vector_size(16)));
using i4 = int32_t __attribute__((vector_size(16)));

// Lanes of a and b (numbered 0-3 and 4-7) picked by constant numbers; GCC and Clang name it differently.
#if defined(__clang__)
#define SHUFFLE4(a, b, i0, i1, i2, i3) __builtin_shufflevector(a, b, i0, i1, i2, i3)
#else
#define SHUFFLE4(a, b, i0, i1, i2, i3) __builtin_shuffle(a, b, i4{i0, i1, i2, i3})
#endif

// ceil32 of four values at once.
inline i4 ceil4(v4 f) {
#if SHOWCASE_SSE2
    return i4(ceil32x4(__m128(f)));
#else
    return i4{ceil32(f[0]), ceil32(f[1]), ceil32(f[2]), ceil32(f[3])};
#endif
}

inline int16_t ceil16(float f) {
    if (!(f > -32769.0f && f <= 32767.0f)) return INT16_MIN;
    const int32_t i = static_cast<int32_t>(f);
    return static_cast<int16_t>(static_cast<float>(i) < f ? i + 1 : i);
}

inline int32_t trunc32(float f) {
    if (!(f >= -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(f);
}

// Two's-complement addition without signed-overflow undefined behaviour.
inline int32_t wrapadd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
