// Fades and blends: the masks, the saturation, the untouched row and column of the fade to white, and
// the selection box that must not accumulate its glow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "effects/effects.h"

namespace {

constexpr int W = 320, H = 240, N = W * H;

std::vector<uint32_t> randompixels(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint32_t> v(n);
    for (auto &p : v) p = gen();
    return v;
}
unsigned char *bytes(std::vector<uint32_t> &v) {
    return reinterpret_cast<unsigned char *>(v.data());
}
const unsigned char *bytes(const std::vector<uint32_t> &v) {
    return reinterpret_cast<const unsigned char *>(v.data());
}
unsigned channel(uint32_t p, int c) {
    return (p >> (8 * c)) & 255u;
}

TEST(Fades, FadeInMasksTheLogoBitwiseAndSaturates) {
    fillfadenrtab();
    const auto logo = randompixels(N, 1), frame = randompixels(N, 2);
    auto d = frame;
    fadeinpicture(bytes(d), bytes(logo), fadenrtab[0]);
    EXPECT_EQ(d, frame);
    for (unsigned level : {128u, 255u, 0x5Au}) {
        d = frame;
        fadeinpicture(bytes(d), bytes(logo), fadenrtab[level]);
        for (int i = 0; i < N; ++i) {
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(channel(d[i], c),
                          std::min(255u, channel(frame[i], c) + (channel(logo[i], c) & level)))
                    << "level " << level << " pixel " << i << " channel " << c;
            ASSERT_EQ(channel(d[i], 3), channel(frame[i], 3)) << "the top byte adds nothing";
        }
    }
}

TEST(Fades, FadeToWhiteLeavesRowZeroAndColumn319) {
    fillfadenrtab();
    const auto frame = randompixels(N, 3);
    auto d = frame;
    fadetowhite(bytes(d), fadenrtab[255]);
    for (int y = 0; y < H; ++y)
        for (int xx = 0; xx < W; ++xx) {
            const int i = y * W + xx;
            const uint32_t want = y == 0 || xx == W - 1 ? frame[i] : (frame[i] & 0xFF000000u) | 0x00FFFFFFu;
            ASSERT_EQ(d[i], want) << y << "," << xx;
        }
    // A partial level saturates each channel on its own.
    std::vector<uint32_t> g(N, 0x00F01008u);
    fadetowhite(bytes(g), fadenrtab[0x20]);
    EXPECT_EQ(g[W + 5], 0x00FF3028u);
    EXPECT_EQ(g[2 * W - 2], 0x00FF3028u);
    EXPECT_EQ(g[2 * W - 1], 0x00F01008u);
}

// The bar: 100 pixels a row, room for 1,600 rows; every pixel differs from its neighbours.
std::vector<uint32_t> makebar() {
    std::vector<uint32_t> bar(100 * 1600);
    for (int r = 0; r < 1600; ++r)
        for (int c = 0; c < 100; ++c)
            bar[r * 100 + c] = uint32_t((r * 7 + c * 3) & 0x7F) << 16 | uint32_t(r & 255) << 8 | uint32_t(c);
    return bar;
}

TEST(Fades, SelectionBoxIsCopiedFromTheBarWithTheGlowInRed) {
    const auto bar = makebar();
    const auto menu0 = randompixels(N, 4);
    for (int srcrow : {0, 300, 1200}) {
        auto menu = menu0;
        hilightselection(0, bytes(menu), bytes(bar), srcrow);
        for (int r = 0; r < H; ++r)
            for (int c = 0; c < W; ++c) {
                const bool inbox = r >= 26 && r <= 73 && c >= 38 && c <= 101;
                ASSERT_EQ(menu[r * W + c], inbox ? bar[(r + srcrow) * 100 + c - 20] : menu0[r * W + c])
                    << "srcrow " << srcrow << " at " << r << "," << c;
            }
    }
    // Glow 127 on red 200 clamps at 255 and leaves blue and green alone.
    std::vector<uint32_t> red(100 * 1600, 0x00C81234u);
    auto menu = menu0;
    hilightselection(127, bytes(menu), bytes(red), 0);
    EXPECT_EQ(menu[26 * W + 38], 0x00FF1234u);
    EXPECT_EQ(menu[73 * W + 101], 0x00FF1234u);
}

TEST(Fades, GlowDoesNotAccumulate) {
    const auto bar = makebar();
    auto once = randompixels(N, 5);
    auto many = once;
    hilightselection(60, bytes(once), bytes(bar), 100);
    for (int k = 0; k < 5; ++k) hilightselection(60, bytes(many), bytes(bar), 100);
    EXPECT_EQ(many, once);
    EXPECT_EQ(channel(once[40 * W + 50], 2), channel(bar[140 * 100 + 30], 2) + 60);
}

TEST(Fades, SelectionOutsideTheBarDrawsNothing) {
    const auto bar = makebar();
    const auto menu0 = randompixels(N, 6);
    auto menu = menu0;
    hilightselection(50, bytes(menu), bytes(bar), -1);
    hilightselection(50, bytes(menu), bytes(bar), 1600 - 73);
    EXPECT_EQ(menu, menu0);
    hilightselection(50, bytes(menu), bytes(bar), 1600 - 74); // the last position that fits
    EXPECT_NE(menu, menu0);
}

} // namespace
