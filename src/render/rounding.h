// Float-to-integer conversions of the renderer. The show's arithmetic rounds every such conversion
// upwards; a value that does not fit (NaN, infinities, huge) becomes the integer that the processor's
// conversion gives for it, the most negative one, instead of undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

// Truncation plus one when something was cut off: the exact ceiling, without a library call.
inline int32_t ceil32(float f) {
    if (!(f > -2147483648.0f && f <= 2147483520.0f)) return INT32_MIN;
    const int32_t i = static_cast<int32_t>(f);
    return static_cast<float>(i) < f ? i + 1 : i;
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
