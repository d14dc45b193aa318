// The SSE2 routines and the plain ones must give the same bytes: random buffers, unaligned addresses,
// edge values that saturate.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "effects/effects.h"
#include "effects/packed.h"

namespace {

// Random bytes with a good share of 0 and 255, so the saturating edges are hit often.
std::vector<unsigned char> randombytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<unsigned char> v(n);
    for (auto &b : v) {
        uint32_t r = gen();
        b = (r & 7) == 0 ? 0 : (r & 7) == 1 ? 255 : static_cast<unsigned char>(r >> 8);
    }
    return v;
}

constexpr size_t LOW = 320 * 240 * 4, HIGH = 640 * 480 * 4, BAR = 100 * 1600 * 4;
const uint32_t amounts[] = {0u, 0x010101u, 0x808080u, 0xFFFFFFu, 0xFFFFFFFFu, 0x7F00C3u, 0x12345678u};

TEST(Packed, ScalarHelpersSaturate) {
    EXPECT_EQ(packed::addsat(0xFF80017Fu, 0x0180FF01u), 0xFFFFFF80u);
    EXPECT_EQ(packed::subsat(0x00800102u, 0x01810001u), 0x00000101u);
}

TEST(Packed, FadesGiveTheSameBytes) {
    for (size_t off : {size_t(0), size_t(4), size_t(12)}) {
        const auto src = randombytes(LOW + 16, 10 + uint32_t(off));
        const auto base = randombytes(LOW + 16, 20 + uint32_t(off));
        for (uint32_t m : amounts) {
            auto a = base, b = base;
            fadeinpicture(a.data() + off, src.data() + off, m);
            plain::fadeinpicture(b.data() + off, src.data() + off, m);
            ASSERT_EQ(a, b) << "fadeinpicture mask " << m << " offset " << off;

            a = base, b = base;
            fadetowhite(a.data() + off, m);
            plain::fadetowhite(b.data() + off, m);
            ASSERT_EQ(a, b) << "fadetowhite add " << m << " offset " << off;
        }
        const auto bar = randombytes(BAR + 16, 30 + uint32_t(off));
        for (int glow : {0, 1, 64, 127}) {
            for (int row : {0, 37, 1200}) {
                auto a = base, b = base;
                hilightselection(glow, a.data() + off, bar.data() + off, row);
                plain::hilightselection(glow, b.data() + off, bar.data() + off, row);
                ASSERT_EQ(a, b) << "hilightselection glow " << glow << " row " << row;
            }
        }
    }
}

TEST(Packed, ParticleRoutinesGiveTheSameBytes) {
    for (size_t off : {size_t(0), size_t(4), size_t(8)}) {
        const auto base = randombytes(HIGH + 16, 40 + uint32_t(off));
        const auto pic = randombytes(HIGH + 16, 50 + uint32_t(off));
        for (uint32_t m : amounts) {
            auto a = base, b = base;
            motionblur(a.data() + off, m);
            plain::motionblur(b.data() + off, m);
            ASSERT_EQ(a, b) << "motionblur amount " << m << " offset " << off;
        }
        auto a = base, b = base;
        mergepicandparticles(pic.data() + off, a.data() + off, base.data() + off);
        plain::mergepicandparticles(pic.data() + off, b.data() + off, base.data() + off);
        ASSERT_EQ(a, b) << "merge offset " << off;

        const auto sprite = randombytes(64, 60 + uint32_t(off));
        const auto *sp = reinterpret_cast<const uint32_t *>(sprite.data());
        a = base, b = base;
        for (int at : {0, 640 * 3 + 17, 640 * 476 + 636}) {
            plot(reinterpret_cast<uint32_t *>(a.data() + off) + at, sp);
            plain::plot(reinterpret_cast<uint32_t *>(b.data() + off) + at, sp);
        }
        ASSERT_EQ(a, b) << "plot offset " << off;
    }
}

} // namespace
