// Presentation in both variants: where a frame lands on the screen, what stays, what is dropped.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/display.h"
#include "shell/shell.h"

namespace {

#if DISPLAY_VARIANT_fixed
constexpr bool fixedmode = true;
#else
constexpr bool fixedmode = false;
#endif

std::vector<unsigned char> frame(int w, int h, uint32_t seed) {
    std::vector<unsigned char> f(size_t(w) * h * 4);
    for (int i = 0; i < w * h; i++) {
        const uint32_t v = (uint32_t(i) * 2654435761u) ^ seed;
        std::memcpy(&f[size_t(i) * 4], &v, 4);
    }
    return f;
}

uint32_t pixelof(const std::vector<unsigned char> &f, int w, int x, int y) {
    uint32_t v;
    std::memcpy(&v, &f[(size_t(y) * w + x) * 4], 4);
    return v;
}

uint32_t screenat(int x, int y) {
    return surface_pixels(lpDDSPrimary)[size_t(y) * surface_width(lpDDSPrimary) + x];
}

// Every pixel of the screen's top-left w x h against want(x, y).
template <class F> void expectscreen(int w, int h, F want) {
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) ASSERT_EQ(screenat(x, y), want(x, y)) << x << "," << y;
}

class Presentation : public ::testing::Test {
  protected:
    void SetUp() override {
        PlatformOptions o;
        o.headless = true;
        ASSERT_TRUE(platform_init(o));
        vesax = 320;
        vesay = 240;
        waitblank = 0;
        initvideomode();
    }
    void TearDown() override {
        finiDDObjects();
        platform_shutdown();
    }
};

} // namespace

TEST_F(Presentation, StartsWithTheVariantsModeAndShowsASmallFrameUnscaledAtTheTopLeft) {
    ASSERT_TRUE(lpDDSPrimary && lpDDSBack);
    EXPECT_EQ(surface_width(lpDDSBack), 320);
    EXPECT_EQ(displaywindowwidth(), fixedmode ? 640 : 320);
    ASSERT_EQ(surface_width(lpDDSPrimary), fixedmode ? 640 : 320);
    ASSERT_EQ(surface_height(lpDDSPrimary), fixedmode ? 480 : 240);
    // The rest of the fixed mode's 640 x 480 screen is never drawn by a frame.
    const auto f = frame(320, 240, 1);
    blittoscreen(f.data());
    expectscreen(surface_width(lpDDSPrimary), surface_height(lpDDSPrimary),
                 [&](int x, int y) { return x < 320 && y < 240 ? pixelof(f, 320, x, y) : 0u; });
}

TEST_F(Presentation, LargeFrameIsHalvedInTheFixedModeAndFillsTheModeSwitchingScreen) {
    // Something on the whole screen first, as a gallery picture leaves it.
    switchmode(640, 480);
    const auto pic = frame(640, 480, 2);
    DDSURFACEDESC d;
    ASSERT_EQ(surface_lock(lpDDSBack, &d, DDLOCK_WAIT), 0u);
    for (int y = 0; y < 480; y++)
        std::memcpy(static_cast<char *>(d.lpSurface) + y * d.lPitch, &pic[y * 2560], 2560);
    surface_unlock(lpDDSBack);
    const RECT whole{0, 0, 640, 480};
    ASSERT_EQ(surface_blt(lpDDSPrimary, &whole, lpDDSBack), 0u);

    const auto f = frame(640, 480, 3);
    blittoscreen(f.data());
    ASSERT_EQ(surface_width(lpDDSPrimary), 640);
    expectscreen(640, 480, [&](int x, int y) {
        if (!fixedmode) return pixelof(f, 640, x, y);
        return x < 320 && y < 240 ? pixelof(f, 640, 2 * x, 2 * y) : pixelof(pic, 640, x, y);
    });
}

// --scale: the screen grows with the 3D frame (the fixed mode's keeps it in its top-left quarter), and a
// 640 x 480 screen is enlarged into it by half the scale where that is whole (4), else by the largest whole
// multiple that fits (1 at 3), centred on black.
TEST_F(Presentation, AtALargerScaleTheScreenGrowsAndA640ScreenIsEnlargedAndCentredInIt) {
    for (int s : {3, 4}) {
        finiDDObjects();
        showscale = s;
        switchmode(320, 240);
        initvideomode();
        const int w = 320 * s, h = 240 * s;
        ASSERT_EQ(surface_width(lpDDSPrimary), fixedmode ? 2 * w : w);
        ASSERT_EQ(surface_height(lpDDSPrimary), fixedmode ? 2 * h : h);
        SCOPED_TRACE(s);
        const auto f = frame(w, h, 7);
        blittoscreen(f.data());
        expectscreen(w, h, [&](int x, int y) { return pixelof(f, w, x, y); });
        switchmode(640, 480);
        EXPECT_EQ(vesax, w);
        EXPECT_EQ(vesay, h);
        const auto g = frame(640, 480, 8);
        blittoscreen(g.data());
        const int m = s / 2, left = (w - 640 * m) / 2, top = (h - 480 * m) / 2;
        expectscreen(w, h, [&](int x, int y) {
            const bool inside = x >= left && x < left + 640 * m && y >= top && y < top + 480 * m;
            return inside ? pixelof(g, 640, (x - left) / m, (y - top) / m) : 0u;
        });
    }
    finiDDObjects();
    showscale = 1;
    switchmode(320, 240);
}

TEST_F(Presentation, AFrameThatCannotBeLockedOrHasNothingToShowOnIsDropped) {
    const auto first = frame(320, 240, 4), second = frame(320, 240, 5);
    blittoscreen(first.data());
    const long shown = platform_shownframes();
    surface_failnextlock(lpDDSBack);
    blittoscreen(second.data());
    EXPECT_EQ(platform_shownframes(), shown);
    EXPECT_EQ(screenat(10, 10), pixelof(first, 320, 10, 10));
    blittoscreen(second.data()); // the next one goes through again
    EXPECT_EQ(screenat(10, 10), pixelof(second, 320, 10, 10));
    finiDDObjects();
    blittoscreen(first.data()); // released: nothing happens
}

TEST_F(Presentation, SwitchModeRecreatesTheSurfacesEvenAtTheSameSize) {
    DDSURFACEDESC d;
    ASSERT_EQ(surface_lock(lpDDSBack, &d, DDLOCK_WAIT), 0u);
    static_cast<uint32_t *>(d.lpSurface)[0] = 0x123456;
    surface_unlock(lpDDSBack);
    const auto f = frame(320, 240, 6);
    blittoscreen(f.data());
    switchmode(320, 240);
    ASSERT_NE(lpDDSBack, nullptr);
    EXPECT_EQ(surface_pixels(lpDDSBack)[0], 0u); // a new surface
    // The mode-switching build sets the mode again: a new, empty screen.
    EXPECT_EQ(screenat(5, 5), fixedmode ? pixelof(f, 320, 5, 5) : 0u);
}
