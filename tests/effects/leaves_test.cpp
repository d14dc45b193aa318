// The leaves: the generator, the parameters, where dots land and where they do not, the pulse of the
// fade, and the blends that make the visible frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/leaves.h"
#include "pixels.h"
#include "shell/shell.h"

namespace {

constexpr int W = 640, H = 480, N = W * H;
constexpr uint32_t WHITE = 0x00FFFFFFu;

// The top-left corners of the dots in a particle buffer that started black.
std::vector<int> dotcorners(const std::vector<uint32_t> &buf) {
    std::vector<int> corners;
    for (int i = 0; i < N; ++i) {
        const int y = i / W, xx = i % W;
        const bool up = y > 0 && buf[i - W] != 0, left = xx > 0 && buf[i - 1] != 0;
        if (buf[i] != 0 && !up && !left) corners.push_back(i);
    }
    return corners;
}

TEST(Leaves, InitTakesFourNumbersASlotInOrderFromTheClassicGenerator) {
    // The classic generator from 1 gives 16838, 5758, 10113, 17515 and never more than 32767.
    setshowrandstate(1);
    initleaves();
    const float scale = 1.0f / 32767.0f;
    EXPECT_EQ(x[0], 16838.0f * scale);
    EXPECT_EQ(xddd[0], static_cast<float>((17515.0f * scale - 0.5) * 0.05)); // the fourth number
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(x[i] >= 0.0f && x[i] <= 1.0f) << i;
        for (float v : {xd[i], xdd[i], xddd[i]}) EXPECT_LE(std::fabs(v), 0.025f) << i;
    }
    // A second screen continues the sequence instead of starting over.
    const float first = x[0];
    initleaves();
    EXPECT_NE(x[0], first);
    int top = 0;
    for (int i = 0; i < 100000; ++i) top = std::max(top, showrand());
    EXPECT_EQ(top, 32767);
}

TEST(Leaves, MoveUsesTheValuesFromBeforeTheStep) {
    for (int i = 0; i < 6; ++i) x[i] = 0.5f, xd[i] = 0.01f * i, xdd[i] = 0.02f, xddd[i] = -0.003f;
    moveleaves();
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(x[i], 0.5f + std::sin(0.01f * i));
        EXPECT_FLOAT_EQ(xd[i], 0.01f * i + 0.02f * std::sin(0.02f));
        EXPECT_FLOAT_EQ(xdd[i], 0.017f);
        EXPECT_EQ(xddd[i], -0.003f);
    }
}

TEST(Leaves, DotsStayInsideTheBufferAndOnlyForTypesOneToThree) {
    std::vector<uint32_t> buf(N, 0);
    auto *b = reinterpret_cast<int *>(buf.data());
    // Depth 0 with length 0 plots at the start point itself.
    genfractal(635.0f, 475.0f, 0.0f, 0.0f, 0, 1, b);
    EXPECT_EQ(dotcorners(buf), std::vector<int>{475 * W + 635});
    EXPECT_EQ(buf[478 * W + 638], WHITE);
    EXPECT_EQ(buf[N - 1], 0u);

    buf.assign(N, 0);
    const std::tuple<float, float, int> nowhere[] = {{635.01f, 475.0f, 1}, {635.0f, 475.01f, 2},
                                                     {2.99f, 100.0f, 3},   {100.0f, 2.99f, 3},
                                                     {100.0f, 100.0f, 0},  {100.0f, 100.0f, 4}};
    for (auto [x, y, type] : nowhere) genfractal(x, y, 0.0f, 0.0f, 0, type, b);
    EXPECT_EQ(dotcorners(buf), std::vector<int>{});

    genfractal(3.0f, 3.0f, 0.0f, 0.0f, 0, 3, b);
    genfractal(100.7f, 200.9f, 0.0f, 0.0f, 0, 2, b); // truncated, not rounded
    EXPECT_EQ(dotcorners(buf), (std::vector<int>{3 * W + 3, 200 * W + 100}));

    // A negative depth ends at the first point; dots add up to white on what is there.
    buf.assign(N, 0x00102030u);
    genfractal(10.0f, 10.0f, 0.0f, 0.0f, -1, 1, b);
    EXPECT_EQ(buf[13 * W + 13], WHITE);
    EXPECT_EQ(buf[14 * W + 13], 0x00102030u);
}

TEST(Leaves, ThreeBranchesEachWithItsOwnAngleAndLength) {
    std::vector<uint32_t> buf(N, 0);
    // Angle 0 points down the screen. Branch 1 keeps the direction at length x 1, branch 2 turns back up
    // at length x 2, the third (iterated) keeps the direction at length x 3.
    std::ranges::copy(std::array{0.0f, 3.14159265f, 0.0f, 1.0f, 2.0f, 3.0f}, sx);
    genfractal(320.0f, 200.0f, 0.0f, 10.0f, 1, 1, reinterpret_cast<int *>(buf.data()));
    EXPECT_EQ(dotcorners(buf), (std::vector<int>{190 * W + 320, 220 * W + 320, 240 * W + 320}));

    // Depth 2 with right-angle turns: nine end points, two of them coinciding.
    buf.assign(N, 0);
    std::ranges::copy(std::array{0.0f, 1.5707964f, -1.5707964f, 1.0f, 1.0f, 1.0f}, sx);
    genfractal(300.0f, 200.0f, 0.0f, 20.0f, 2, 1, reinterpret_cast<int *>(buf.data()));
    EXPECT_EQ(dotcorners(buf), (std::vector<int>{200 * W + 280, 200 * W + 320, 220 * W + 260, 220 * W + 340,
                                                 240 * W + 280, 240 * W + 320, 260 * W + 300}));
}

TEST(Leaves, BlurPulsesOverAboutNinetyFourFrames) {
    for (auto [n, want] : {std::pair{0, 0}, {1, 0}, {2, 1}, {47, 19}, {94, 0}})
        EXPECT_EQ(leafblur(n), want) << n;
    for (int n = 0; n < 1000; ++n) ASSERT_TRUE(leafblur(n) >= 0 && leafblur(n) <= 19) << n;
}

TEST(Leaves, MotionBlurSubtractsPerChannelDownToZero) {
    const auto base = randompixels(N, 7);
    auto b = base;
    motionblur(bytes(b), 0);
    EXPECT_EQ(b, base);
    motionblur(bytes(b), 0x00FFFFFFu);
    for (int i = 0; i < N; ++i) ASSERT_EQ(b[i], base[i] & 0xFF000000u);
}

// Frame 0 only plots the trees with this frame's parameters. A later frame darkens the particle buffer
// first, plots the trees on top, and shows the picture times the particles over 256, rounded down (white
// particles take 255 to 254 and 1 to 0), in every byte.
TEST(Leaves, FramesFadePlotMergeAndPresent) {
    PlatformOptions o;
    o.headless = true;
    ASSERT_TRUE(platform_init(o));
    vesax = 640;
    vesay = 480;
    waitblank = 0;
    initvideomode();
    for (auto [frame, blur] : {std::pair{0, 0}, {47, 19}}) {
        std::vector<uint32_t> particles(N, 0x00808080u), screen(N, 0x11223344u), picture = randompixels(N, 9);
        for (auto &p : picture) p &= 0x00FFFFFFu;
        setshowrandstate(1);
        initleaves();
        const long shown = platform_shownframes();
        drawleaves(bytes(particles), bytes(screen), bytes(picture), frame);
        EXPECT_EQ(blurfac, blur);
        const uint32_t faded = 0x00808080u - uint32_t(blur) * 0x010101u;
        int white = 0;
        for (int i = 0; i < N; ++i) {
            ASSERT_TRUE(particles[i] == faded || particles[i] == WHITE) << i;
            white += particles[i] == WHITE;
            for (int c = 0; c < 32 && frame; c += 8)
                ASSERT_EQ((screen[i] >> c) & 255u,
                          (((picture[i] >> c) & 255u) * ((particles[i] >> c) & 255u)) >> 8);
        }
        EXPECT_GT(white, 16);
        EXPECT_LE(white, 3 * 729 * 16);
        if (frame == 0) {
            EXPECT_EQ(screen, std::vector<uint32_t>(N, 0x11223344u));
            EXPECT_EQ(platform_shownframes(), shown);
        } else {
            ASSERT_EQ(surface_width(lpDDSPrimary), 640);
            EXPECT_TRUE(std::equal(screen.begin(), screen.end(), surface_pixels(lpDDSPrimary)));
        }
    }
    finiDDObjects();
    platform_shutdown();
}

} // namespace
