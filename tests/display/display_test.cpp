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

std::vector<uint32_t> frame(int w, int h, uint32_t seed) {
    std::vector<uint32_t> f(size_t(w) * h);
    for (size_t i = 0; i < f.size(); i++) f[i] = (uint32_t(i) * 2654435761u) ^ seed;
    return f;
}

void show(const std::vector<uint32_t> &f) {
    blittoscreen(reinterpret_cast<const unsigned char *>(f.data()));
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
    show(f);
    expectscreen(surface_width(lpDDSPrimary), surface_height(lpDDSPrimary),
                 [&](int x, int y) { return x < 320 && y < 240 ? f[size_t(y) * 320 + x] : 0u; });
}

TEST_F(Presentation, LargeFrameIsHalvedInTheFixedModeAndFillsTheModeSwitchingScreen) {
    // Something on the whole screen first, as a gallery picture leaves it.
    switchmode(640, 480);
    const auto pic = frame(640, 480, 2);
    DDSURFACEDESC d;
    ASSERT_EQ(surface_lock(lpDDSBack, &d, DDLOCK_WAIT), 0u);
    for (int y = 0; y < 480; y++)
        std::memcpy(static_cast<char *>(d.lpSurface) + y * d.lPitch, &pic[size_t(y) * 640], 2560);
    surface_unlock(lpDDSBack);
    const RECT whole{0, 0, 640, 480};
    ASSERT_EQ(surface_blt(lpDDSPrimary, &whole, lpDDSBack), 0u);

    const auto f = frame(640, 480, 3);
    show(f);
    ASSERT_EQ(surface_width(lpDDSPrimary), 640);
    expectscreen(640, 480, [&](int x, int y) {
        if (!fixedmode) return f[size_t(y) * 640 + x];
        return x < 320 && y < 240 ? f[size_t(2 * y) * 640 + 2 * x] : pic[size_t(y) * 640 + x];
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
        show(f);
        expectscreen(w, h, [&](int x, int y) { return f[size_t(y) * w + x]; });
        switchmode(640, 480);
        EXPECT_EQ(vesax, w);
        EXPECT_EQ(vesay, h);
        const auto g = frame(640, 480, 8);
        show(g);
        const int m = s / 2, left = (w - 640 * m) / 2, top = (h - 480 * m) / 2;
        expectscreen(w, h, [&](int x, int y) {
            const bool inside = x >= left && x < left + 640 * m && y >= top && y < top + 480 * m;
            return inside ? g[size_t((y - top) / m) * 640 + size_t((x - left) / m)] : 0u;
        });
    }
    finiDDObjects();
    showscale = 1;
    switchmode(320, 240);
}

TEST_F(Presentation, AFrameThatCannotBeLockedOrHasNothingToShowOnIsDropped) {
    const auto first = frame(320, 240, 4), second = frame(320, 240, 5);
    show(first);
    const long shown = platform_shownframes();
    surface_failnextlock(lpDDSBack);
    show(second);
    EXPECT_EQ(platform_shownframes(), shown);
    EXPECT_EQ(screenat(10, 10), first[10 * 320 + 10]);
    show(second); // the next one goes through again
    EXPECT_EQ(screenat(10, 10), second[10 * 320 + 10]);
    finiDDObjects();
    show(first); // released: nothing happens
}

TEST_F(Presentation, SwitchModeRecreatesTheSurfacesEvenAtTheSameSize) {
    DDSURFACEDESC d;
    ASSERT_EQ(surface_lock(lpDDSBack, &d, DDLOCK_WAIT), 0u);
    static_cast<uint32_t *>(d.lpSurface)[0] = 0x123456;
    surface_unlock(lpDDSBack);
    const auto f = frame(320, 240, 6);
    show(f);
    switchmode(320, 240);
    ASSERT_NE(lpDDSBack, nullptr);
    EXPECT_EQ(surface_pixels(lpDDSBack)[0], 0u); // a new surface
    // The mode-switching build sets the mode again: a new, empty screen.
    EXPECT_EQ(screenat(5, 5), fixedmode ? f[5 * 320 + 5] : 0u);
}
