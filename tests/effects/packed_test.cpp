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

constexpr size_t SIZE = 640 * 480 * 4 + 16; // room for every routine, shifted by up to 12 bytes
const uint32_t amounts[] = {0u, 0x010101u, 0x808080u, 0xFFFFFFu, 0xFFFFFFFFu, 0x7F00C3u, 0x12345678u};

// Runs one routine both ways on copies of base and expects the same bytes.
template <typename Fast, typename Plain>
void same(const Bytes &base, Fast fast, Plain plainway, const char *what) {
    Bytes a = base, b = base;
    fast(a.data());
    plainway(b.data());
    ASSERT_EQ(a, b) << what;
}

TEST(Packed, EveryRoutineGivesThePlainBytes) {
    for (size_t off : {size_t(0), size_t(4), size_t(12)}) {
        const auto base = randombytes(SIZE, 1 + uint32_t(off)), src = randombytes(SIZE, 2 + uint32_t(off));
        const unsigned char *s = src.data() + off;
        for (uint32_t m : amounts) {
            same(
                base, [&](unsigned char *d) { fadeinpicture(d + off, s, m); },
                [&](unsigned char *d) { plain::fadeinpicture(d + off, s, m); }, "fadeinpicture");
            same(
                base, [&](unsigned char *d) { fadetowhite(d + off, m); },
                [&](unsigned char *d) { plain::fadetowhite(d + off, m); }, "fadetowhite");
            same(
                base, [&](unsigned char *d) { motionblur(d + off, m); },
                [&](unsigned char *d) { plain::motionblur(d + off, m); }, "motionblur");
        }
        for (int glow : {0, 1, 64, 127})
            for (int row : {0, 37, 1200})
                same(
                    base, [&](unsigned char *d) { hilightselection(glow, d + off, s, row); },
                    [&](unsigned char *d) { plain::hilightselection(glow, d + off, s, row); },
                    "hilightselection");
        same(
            base, [&](unsigned char *d) { mergepicandparticles(s, d + off, base.data() + off); },
            [&](unsigned char *d) { plain::mergepicandparticles(s, d + off, base.data() + off); }, "merge");
        const auto *sprite = reinterpret_cast<const uint32_t *>(s);
        for (int at : {0, 640 * 3 + 17, 640 * 476 + 636})
            same(
                base, [&](unsigned char *d) { plot(reinterpret_cast<uint32_t *>(d + off) + at, sprite); },
                [&](unsigned char *d) { plain::plot(reinterpret_cast<uint32_t *>(d + off) + at, sprite); },
                "plot");
    }
}

} // namespace
