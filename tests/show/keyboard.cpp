// The show's state machine: every transition, the keys that do nothing, the limits of the gallery, what a
// paint shows and the releases when the window goes.
#include <cstring>
#include <tuple>
#include <vector>

#include "showfixture.h"

using namespace showtest;

namespace {

class ShowState : public ::testing::Test {
  protected:
    void SetUp() override { setupshow(); }
};

} // namespace

// Through the window procedure, as the keys come.
TEST_F(ShowState, KeysThatDoNothingAtMostPresentAgain) {
    for (auto &[part, keys, frames] :
         {std::tuple{PART_INTRO,
                     std::vector{VK_RETURN, VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE}, 0L},
          {PART_MENU, {VK_ESCAPE, VK_UP, VK_DOWN, VK_SPACE}, 1L},
          {PART_ARTMENU, {VK_SPACE}, 1L}})
        for (int k : keys) {
            whichpart = part;
            const long shown = platform_shownframes();
            WindowProc(hWnd, WM_KEYDOWN, WPARAM(k), 0);
            EXPECT_EQ(std::make_tuple(platform_shownframes() - shown, whichpart, int(menurotpos),
                                      int(menucursel), artmenupos),
                      std::make_tuple(frames, part, 0, 0, 0))
                << "part " << part << " key " << k;
        }
}

TEST_F(ShowState, TurnsKeepTheSelectionWithTheRotation) {
    const long shown = platform_shownframes();
    keydispatcher(VK_LEFT, 0);
    EXPECT_EQ(platform_shownframes() - shown, 17);
    for (int k : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT}) {
        keydispatcher(k, 0);
        EXPECT_EQ(uint8_t(menucursel * 64), menurotpos);
        EXPECT_LT(menucursel, 4);
    }
    EXPECT_EQ(menucursel, 1); // from 3 a right turn wraps round to 0
}

TEST_F(ShowState, GalleryInAndOutWith125FramesEachWay) {
    press(VK_ESCAPE); // handled by the art-menu loop once the doors are open
    const long shown = platform_shownframes();
    keydispatcher(VK_RETURN, 0);
    EXPECT_EQ(whichpart, PART_MENU);
    EXPECT_EQ(waitblank, 0);
    EXPECT_GE(platform_shownframes() - shown, 250);
    EXPECT_EQ(menurotpos, 0);
    // The flight back ends on the menu background, ready for the next frame.
    EXPECT_EQ(reinterpret_cast<uint32_t *>(virscr)[100 * 320 + 100], MENUBG);
}

TEST_F(ShowState, GalleryBarStopsAtBothEnds) {
    whichpart = PART_ARTMENU;
    for (int i = 1; i <= 13; i++) {
        const long shown = platform_shownframes();
        keydispatcher(VK_DOWN, 0);
        EXPECT_EQ(platform_shownframes() - shown, i <= 12 ? 26 : 0);
        EXPECT_EQ(artmenupos, std::min(i, 12) * 100);
        EXPECT_EQ(curartsel, std::min(i, 12));
    }
    // The bar window shows rows 1201..1439 of the strip at the last entry.
    const uint32_t *am = reinterpret_cast<const uint32_t *>(artmenu);
    EXPECT_EQ(am[1 * 320 + 20], barpixel(1201));
    EXPECT_EQ(am[239 * 320 + 119], barpixel(1439));
    EXPECT_EQ(am[0 * 320 + 20], 0x00000040u) << "row 0 is never touched";
    EXPECT_EQ(am[5 * 320 + 19], 0x00000040u) << "nor the columns outside the bar";
    for (int i = 0; i < 13; i++) keydispatcher(VK_UP, 0); // the last one at entry 0
    EXPECT_EQ(artmenupos, 0);
    EXPECT_EQ(curartsel, 0);
    EXPECT_EQ(glcount, 0);
}

TEST_F(ShowState, PicturesScrollBetweenTheirLimitsRedrawOnPaintAndEscapeToTheirEntry) {
    for (auto [sel, limit] : {std::pair{5, 480}, {9, 320}, {0, 0}}) {
        whichpart = PART_ARTMENU;
        curartsel = sel;
        artmenupos = sel * 100;
        keydispatcher(VK_RETURN, 0);
        ASSERT_EQ(vesax, 640);
        // The open picture painted so that every pixel of row r holds r.
        uint32_t *p = reinterpret_cast<uint32_t *>(piconscreen);
        for (int r = 0; r < thepics[sel].height; r++)
            std::fill_n(p + r * thepics[sel].width, thepics[sel].width, r);
        for (int i = 0; i < 130; i++) {
            keydispatcher(VK_DOWN, 0);
            ASSERT_EQ(picofs % 4, 0);
        }
        EXPECT_EQ(picofs, limit) << "picture " << sel;
        // A paint redraws from the top but keeps the offset; any other key shows the picture where it is.
        const MSG paint{hWnd, WM_PAINT, 0, 0};
        DispatchMessage(&paint);
        EXPECT_EQ(screenpixel(0, 0), 0u);
        EXPECT_EQ(picofs, limit);
        keydispatcher(VK_SPACE, 0);
        EXPECT_EQ(screenpixel(0, 0), uint32_t(limit));
        EXPECT_EQ(screenpixel(10, 479), uint32_t(limit + 479));
        // The 600-pixel picture is read with its own width.
        EXPECT_EQ(screenpixel(thepics[sel].width - 1, 100), uint32_t(limit + 100));
        for (int i = 0; i < 130; i++) keydispatcher(VK_UP, 0);
        EXPECT_EQ(picofs, 0);
        EXPECT_EQ(screenpixel(0, 0), 0u);
        press(VK_ESCAPE); // then Escape again in the art menu, back to the 3D menu
        keydispatcher(VK_ESCAPE, 0);
        EXPECT_EQ(std::make_tuple(whichpart, vesax, curartsel, artmenupos),
                  std::make_tuple(PART_MENU, 320, sel, sel * 100));
    }
}

TEST_F(ShowState, CreditsAndGreetingsRunUntilEscape) {
    for (auto [item, flag] : {std::pair{1, &SHOWCREDITS}, {2, &SHOWGREETINGS}}) {
        menucursel = item;
        menurotpos = uint8_t(item * 64);
        // Keys other than Escape do nothing on these screens.
        for (int k : {VK_LEFT, VK_RIGHT, VK_RETURN, VK_UP, VK_DOWN, VK_SPACE}) press(k);
        press(VK_ESCAPE);
        keydispatcher(VK_RETURN, 0);
        EXPECT_EQ(std::make_tuple(whichpart, int(*flag), vesax, int(menucursel), int(menurotpos)),
                  std::make_tuple(PART_MENU, 0, 320, item, item * 64));
    }
}

TEST_F(ShowState, ClosingTheWindowReleasesEverythingOnceAndEndsTheNestedLoops) {
    // At the menu: the window procedure releases everything and asks to quit.
    WindowProc(hWnd, WM_DESTROY, 0, 0);
    EXPECT_EQ(QUIT, 1);
    EXPECT_TRUE(!lpDD && !lpDDSPrimary && !lpDDSBack);
    EXPECT_FALSE(musicplaying());
    // The pump takes the quit, which alone also ends the show.
    QUIT = 0;
    ASSERT_EQ(nomessage(), 0);
    EXPECT_EQ(std::tie(QUIT, msg.message, msg.wParam),
              std::make_tuple(char(1), unsigned(WM_QUIT), WPARAM(0)));
    // A second destroy (the exit sequence's own release after a close) finds nothing to release.
    WindowProc(hWnd, WM_DESTROY, 0, 0);
    setupshow();
    // In the gallery: the main loop still gets its quit, and keys still queued after the end do nothing.
    whichpart = PART_ARTMENU;
    PostMessage(WM_DESTROY, 0, 0);
    runartmenu();
    EXPECT_EQ(QUIT, 1);
    EXPECT_EQ(drainquits(), 1);
    whichpart = PART_MENU;
    keydispatcher(VK_LEFT, 0);
    EXPECT_EQ(menurotpos, 0);
    // In the credits: they end without going back to the menu.
    setupshow();
    menucursel = 1;
    PostMessage(WM_DESTROY, 0, 0);
    keydispatcher(VK_RETURN, 0);
    EXPECT_EQ(QUIT, 1);
    EXPECT_EQ(whichpart, PART_CREDITS);
}

TEST_F(ShowState, PaintPresentsTheFrameBufferExceptDuringTheIntro) {
    for (int i = 0; i < 320 * 240; i++) std::memcpy(virscr + 4 * i, &i, 4);
    for (PARTS p : {PART_INTRO, PART_MENU, PART_ARTMENU, PART_CREDITS}) {
        whichpart = p;
        const long before = platform_shownframes();
        WindowProc(hWnd, WM_PAINT, 0, 0);
        EXPECT_EQ(platform_shownframes(), before + (p != PART_INTRO)) << int(p);
        if (p != PART_INTRO) {
            EXPECT_EQ(screenpixel(1, 1), 321u) << int(p);
        }
    }
}
