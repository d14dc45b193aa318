// The window procedure: what a paint shows in each state, and the releases when the window goes.
#include <gtest/gtest.h>

#include <cstring>

#include "display/display.h"
#include "shell/shell.h"

namespace {

class WindowProcedure : public ::testing::Test {
  protected:
    void SetUp() override {
        PlatformOptions o;
        o.headless = true;
        ASSERT_TRUE(platform_init(o));
        hWnd = CreateShowWindow("Veltor", displaywindowwidth(), displaywindowheight(), WindowProc);
        vesax = 320;
        vesay = 240;
        if (!virscr) virscr = static_cast<unsigned char *>(mymalloc(1228800, 0));
        for (int i = 0; i < 320 * 240; i++) std::memcpy(virscr + 4 * i, &i, 4);
        initvideomode();
        QUIT = 0;
        MSG m;
        while (PeekMessage(&m)) {
        }
    }
    void TearDown() override {
        finiDDObjects();
        platform_shutdown();
        QUIT = 0;
        whichpart = PART_INTRO;
    }
};

} // namespace

TEST_F(WindowProcedure, PaintPresentsTheFrameBufferExceptDuringTheIntro) {
    whichpart = PART_INTRO;
    long before = platform_shownframes();
    WindowProc(hWnd, WM_PAINT, 0, 0);
    EXPECT_EQ(platform_shownframes(), before);
    for (PARTS p : {PART_MENU, PART_ARTMENU, PART_CREDITS}) {
        whichpart = p;
        before = platform_shownframes();
        WindowProc(hWnd, WM_PAINT, 0, 0);
        EXPECT_EQ(platform_shownframes(), before + 1) << int(p);
        EXPECT_EQ(surface_pixels(lpDDSPrimary)[321], 321u);
    }
}

TEST_F(WindowProcedure, DestroyReleasesEverythingOnceAndAsksToQuit) {
    WindowProc(hWnd, WM_DESTROY, 0, 0);
    EXPECT_EQ(QUIT, 1);
    EXPECT_EQ(lpDD, nullptr);
    EXPECT_EQ(lpDDSPrimary, nullptr);
    EXPECT_EQ(lpDDSBack, nullptr);
    EXPECT_FALSE(musicplaying());
    ASSERT_EQ(nomessage(), 0);
    EXPECT_EQ(msg.message, unsigned(WM_QUIT));
    EXPECT_EQ(msg.wParam, 0u);
    // A second destroy (the exit sequence's own release after a close) finds nothing to release.
    WindowProc(hWnd, WM_DESTROY, 0, 0);
    EXPECT_EQ(lpDD, nullptr);
}

TEST_F(WindowProcedure, KeysDuringTheIntroDoNothing) {
    whichpart = PART_INTRO;
    const long before = platform_shownframes();
    for (int key : {VK_RETURN, VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN})
        WindowProc(hWnd, WM_KEYDOWN, WPARAM(key), 0);
    EXPECT_EQ(whichpart, PART_INTRO);
    EXPECT_EQ(platform_shownframes(), before);
    EXPECT_EQ(menucursel, 0);
}
