// Fades and blends: the masks, the saturation, the untouched row and column of the fade to white, and
// the selection box that must not accumulate its glow.
#include <gtest/gtest.h>

#include <algorithm>

#include "effects/effects.h"
#include "effects/packed.h"
#include "pixels.h"

namespace {

constexpr int W = 320, H = 240, N = W * H;

unsigned channel(uint32_t p, int c) {
    return (p >> (8 * c)) & 255u;
}

TEST(Fades, FadeInMasksTheLogoBitwiseAndSaturates) {
    fillfadenrtab();
    auto logo = randompixels(N, 1), frame = randompixels(N, 2);
    for (unsigned level : {0u, 128u, 255u, 0x5Au}) {
        auto d = frame;
        fadeinpicture(bytes(d), bytes(logo), fadenrtab[level]);
        for (int i = 0; i < N; ++i)
            for (int c = 0; c < 4; ++c) // the top byte adds nothing
                ASSERT_EQ(channel(d[i], c),
                          c == 3 ? channel(frame[i], 3)
                                 : std::min(255u, channel(frame[i], c) + (channel(logo[i], c) & level)))
                    << "level " << level << " pixel " << i << " channel " << c;
    }
}

// Each channel but the top byte adds the level and saturates on its own (at 255 the picture turns white);
// row 0 and column 319 stay.
TEST(Fades, FadeToWhiteSaturatesEachChannelAndLeavesRowZeroAndColumn319) {
    fillfadenrtab();
    const auto frame = randompixels(N, 3);
    for (unsigned level : {255u, 0x31u}) {
        auto d = frame;
        fadetowhite(bytes(d), fadenrtab[level]);
        for (int i = 0; i < N; ++i) {
            const bool kept = i < W || i % W == W - 1;
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(channel(d[i], c), kept || c == 3 ? channel(frame[i], c)
                                                           : std::min(255u, channel(frame[i], c) + level))
                    << "level " << level << " pixel " << i << " channel " << c;
        }
    }
}

TEST(Fades, SelectionBoxIsCopiedFromTheBarWithTheGlowInRed) {
    // The bar: 100 pixels a row, room for 1,600 rows; every pixel differs from its neighbours, and reds from
    // 128 to 255 make the glow saturate.
    std::vector<uint32_t> bar(100 * 1600);
    for (int r = 0; r < 1600; ++r)
        for (int c = 0; c < 100; ++c)
            bar[r * 100 + c] =
                uint32_t(((r * 7 + c * 3) & 0x7F) | 0x80) << 16 | uint32_t(r & 255) << 8 | uint32_t(c);
    const auto menu0 = randompixels(N, 4);
    // Rows outside the bar draw nothing; 1600 - 74 is the last position that fits. A glow of 60 must
    // not accumulate over repeated frames; red clamps at 255 and leaves blue and green alone.
    auto glowing = [](uint32_t p, int glow) {
        return (p & 0xFF00FFFFu) | std::min(255u, (p >> 16 & 255) + uint32_t(glow)) << 16;
    };
    for (int srcrow : {-1, 0, 300, 1600 - 74, 1600 - 73})
        for (int glow : {0, 60, 127}) {
            auto menu = menu0;
            for (int k = 0; k < (glow ? 3 : 1); ++k) hilightselection(glow, bytes(menu), bytes(bar), srcrow);
            const bool fits = srcrow >= 0 && srcrow <= 1600 - 74;
            for (int r = 0; r < H; ++r)
                for (int c = 0; c < W; ++c) {
                    const bool inbox = fits && r >= 26 && r <= 73 && c >= 38 && c <= 101;
                    ASSERT_EQ(menu[r * W + c],
                              inbox ? glowing(bar[(r + srcrow) * 100 + c - 20], glow) : menu0[r * W + c])
                        << "srcrow " << srcrow << " glow " << glow << " at " << r << "," << c;
                }
        }
}

// At a larger scale each effect works on the enlarged frame and pictures and must give exactly the
// enlargement of its 320 x 240 result, with SSE2 and without; scales 2, 3 and 5 leave the fade to white's
// untouched column 2, 3 and 5 pixels wide, across the routine's four-pixel groups.
TEST(Fades, AtALargerScaleEachEffectGivesTheEnlargementOfItsResult) {
    fillfadenrtab();
    auto frame = randompixels(N, 5), logo = randompixels(N, 6);
    auto bar = randompixels(100 * 1600, 7);
    auto enlarged = [](std::vector<uint32_t> v, int w, int h, int k) {
        std::vector<uint32_t> out(v.size() * k * k);
        enlargepicture(bytes(v), w, h, bytes(out), k);
        return out;
    };
    for (int k : {2, 3, 5}) {
        auto bigframe = enlarged(frame, W, H, k), biglogo = enlarged(logo, W, H, k);
        auto bigbar = enlarged(bar, 100, 1600, k);
        auto small = frame;
        fadeinpicture(bytes(small), bytes(logo), fadenrtab[0x5A]);
        fadetowhite(bytes(small), fadenrtab[0x31]);
        hilightselection(77, bytes(small), bytes(bar), 1200);
        const auto want = enlarged(small, W, H, k);
        for (bool fast : {true, false}) {
            auto big = bigframe;
            if (fast) {
                fadeinpicture(bytes(big), bytes(biglogo), fadenrtab[0x5A], k);
                fadetowhite(bytes(big), fadenrtab[0x31], k);
                hilightselection(77, bytes(big), bytes(bigbar), 1200, k);
            } else {
                plain::fadeinpicture(bytes(big), bytes(biglogo), fadenrtab[0x5A], k);
                plain::fadetowhite(bytes(big), fadenrtab[0x31], k);
                plain::hilightselection(77, bytes(big), bytes(bigbar), 1200, k);
            }
            ASSERT_TRUE(big == want) << "scale " << k << (fast ? "" : ", plain");
        }
    }
}

} // namespace
