// The SSE2 routines and the plain ones must give the same bytes: random buffers, unaligned addresses,
// plenty of bytes at 0 and 255 so the saturating edges are hit.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "effects/effects.h"
#include "effects/packed.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes randombytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes v(n);
    for (auto &b : v) {
        const uint32_t r = gen();
        b = (r & 7) == 0 ? 0 : (r & 7) == 1 ? 255 : static_cast<unsigned char>(r >> 8);
    }
    return v;
}

// Runs one call both ways on copies of base (the destination is d) and expects the same bytes.
#define SAME(call)                                                                                           \
    do {                                                                                                     \
        Bytes fast = base, slow = base;                                                                      \
        unsigned char *d = fast.data();                                                                      \
        call;                                                                                                \
        d = slow.data();                                                                                     \
        plain::call;                                                                                         \
        ASSERT_EQ(fast, slow) << #call;                                                                      \
    } while (0)

TEST(Packed, EveryRoutineGivesThePlainBytes) {
    constexpr size_t SIZE = 640 * 480 * 4 + 16; // room for every routine, shifted by up to 12 bytes
    for (size_t off : {size_t(0), size_t(4), size_t(12)}) {
        const auto base = randombytes(SIZE, 1 + uint32_t(off)), src = randombytes(SIZE, 2 + uint32_t(off));
        const unsigned char *s = src.data() + off;
        for (uint32_t m : {0u, 0x010101u, 0x808080u, 0xFFFFFFu, 0xFFFFFFFFu, 0x7F00C3u, 0x12345678u}) {
            SAME(fadeinpicture(d + off, s, m));
            SAME(fadetowhite(d + off, m));
            SAME(motionblur(d + off, m));
        }
        for (int glow : {0, 1, 64, 127})
            for (int row : {0, 37, 1200}) SAME(hilightselection(glow, d + off, s, row));
        SAME(mergepicandparticles(s, d + off, base.data() + off));
        const auto *sprite = reinterpret_cast<const uint32_t *>(s);
        for (int at : {0, 640 * 3 + 17, 640 * 476 + 636})
            SAME(plot(reinterpret_cast<uint32_t *>(d + off) + at, sprite));
    }
}

} // namespace
