// The desktop window on SDL's dummy driver: a frame fills the output it is shown on, whole and scaled,
// through resizing and full screen with and without a window manager; window events never reach the show.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "common/pngfile.h"
#include "common/programrun.h"
#include "display/display.h"
#include "platform/desktop/fullscreen.h"
#include "platform/screen.h"
#include "platformfixture.h"

namespace {

int showcalls = 0;
LRESULT recordingproc(HWND, unsigned, WPARAM, LPARAM) {
    showcalls++;
    return 0;
}

// Every pixel different enough that a shifted, cropped or quartered frame cannot match.
uint32_t framepixel(int x, int y) {
    return uint32_t(x * 0x010203 + y * 0x030201) & 0x00FFFFFF;
}

class DesktopWindow : public Platform {
  protected:
    void SetUp() override {
        PlatformOptions o;
        o.window = true;
        o.dummywindow = true;
        o.screenshotdir = shots = programrun::scratch("window", "shots");
        start(o);
        ASSERT_FALSE(HasFatalFailure());
        window = static_cast<SDL_Window *>(CreateShowWindow("Veltor", 320, 240, recordingproc));
        ASSERT_NE(window, nullptr);
        DirectDrawCreate(&dd);
        dd_setdisplaymode(dd, 320, 240, 32);
        DDSURFACEDESC d;
        fillprimarydesc(d);
        dd_createsurface(dd, d, &primary);
        fillbackdesc(d, 320, 240);
        dd_createsurface(dd, d, &back);
        ASSERT_EQ(surface_lock(back, &d, DDLOCK_WAIT), 0u);
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++)
                static_cast<uint32_t *>(d.lpSurface)[y * 320 + x] = framepixel(x, y);
        surface_unlock(back);
        surface_bltfast(primary, 0, 0, back, 0);
        showcalls = 0;
    }
    void TearDown() override {
        surface_release(back);
        surface_release(primary);
        dd_release(dd);
        Platform::TearDown();
        desktop_assumewindowmanager(-1);
    }
    // Lets the layer see its events; nothing may reach the show.
    void pump() {
        MSG m;
        while (PeekMessage(&m)) ADD_FAILURE() << "message " << m.message << " reached the show";
        EXPECT_EQ(showcalls, 0);
    }
    void altenter() {
        pushkey(SDLK_RETURN, KMOD_LALT);
        pump();
    }
    // The window holds the whole frame at factor k, centred, with black around it.
    void expectwholeframe(int ow, int oh, int k, const char *when) {
        std::vector<uint32_t> px;
        int w = 0, h = 0;
        ASSERT_TRUE(platform_windowpixels(px, &w, &h)) << when;
        ASSERT_EQ(w, ow) << when;
        ASSERT_EQ(h, oh) << when;
        const int left = (ow - 320 * k) / 2, top = (oh - 240 * k) / 2;
        int wrong = 0;
        for (int y = 0; y < oh; y++)
            for (int x = 0; x < ow; x++) {
                const bool inside = x >= left && x < left + 320 * k && y >= top && y < top + 240 * k;
                const uint32_t want = inside ? framepixel((x - left) / k, (y - top) / k) : 0u;
                wrong += px[size_t(y) * ow + x] != want;
            }
        EXPECT_EQ(wrong, 0) << when;
    }

    // Lets the layer look at the window system once, without waiting.
    void idle() {
        SDL_Event e{};
        e.type = SDL_USEREVENT;
        SDL_PushEvent(&e);
        IdleMessage();
        SDL_FlushEvent(SDL_USEREVENT);
    }
    void presskey(SDL_Keycode k) {
        pushkey(k);
        pump();
        pump(); // SDL stops a poll at its sentinel: an event pushed after it comes with the next
    }

    std::string shots;
    SDL_Window *window = nullptr;
    DirectDraw *dd = nullptr;
    Surface *primary = nullptr, *back = nullptr;
};

} // namespace

TEST_F(DesktopWindow, WindowEventsReShowTheLastScreenAndNeverReachTheShow) {
    expectwholeframe(640, 480, 2, "at first");
    for (Uint8 ev : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_RESIZED,
                     SDL_WINDOWEVENT_RESTORED}) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = ev;
        e.window.data1 = 640;
        e.window.data2 = 480;
        SDL_PushEvent(&e);
    }
    pump();
    expectwholeframe(640, 480, 2, "after exposure");
    SDL_SetWindowSize(window, 1000, 760);
    pump();
    expectwholeframe(1000, 760, 3, "resized");
}

// With a window manager the window goes full screen and back by itself; without one, by hand.
TEST_F(DesktopWindow, FullScreenAndBackShowTheWholeFrameWithAndWithoutAWindowManager) {
    for (int manager : {1, 0}) {
        desktop_assumewindowmanager(manager);
        altenter();
        expectwholeframe(1024, 768, 3, manager ? "full screen" : "full screen by hand"); // the dummy display
        altenter();
        expectwholeframe(640, 480, 2, "back in the window");
    }
    altenter();
    expectwholeframe(1024, 768, 3, "full screen again");
}

TEST(Placement, KeepsFourToThreeWithTheLargestIntegerFactorThatFits) {
    auto eq = [](SDL_Rect a, SDL_Rect b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; };
    EXPECT_TRUE(eq(desktop_placement(1920, 1080, 320, 240), SDL_Rect{320, 60, 1280, 960}));
    EXPECT_TRUE(eq(desktop_placement(2560, 1440, 640, 480), SDL_Rect{320, 0, 1920, 1440}));
    // Smaller than the screen: the largest 4:3 rectangle.
    EXPECT_TRUE(eq(desktop_placement(500, 300, 640, 480), SDL_Rect{50, 0, 400, 300}));
    EXPECT_TRUE(eq(desktop_placement(300, 500, 640, 480), SDL_Rect{0, 137, 300, 225}));
    EXPECT_TRUE(eq(desktop_placement(0, 480, 640, 480), SDL_Rect{0, 0, 0, 0}));
}

TEST_F(DesktopWindow, WaitingForAKeyShowsNothingAndWakesForTheWindowSystem) {
    const long shown = platform_shownframes();
    const Uint64 start = SDL_GetTicks64();
    for (int i = 0; i < 5; i++) idle(); // returns at once: something to look at
    EXPECT_LT(SDL_GetTicks64() - start, 500u);
    pump();
    IdleMessage(); // nothing at all: a long sleep, not a tick
    EXPECT_GE(SDL_GetTicks64() - start, 500u);
    EXPECT_EQ(platform_shownframes(), shown);
    pump();
}

// A volume key shows the level over the picture for a moment, on the window only: the show's screen, and
// so screenshots and captures, never hold it. Then it goes, also while the show waits for a key.
TEST_F(DesktopWindow, TheVolumeShowsOverThePictureForAMomentAndNeverInScreenshots) {
    const long shown = platform_shownframes();
    presskey(SDLK_PLUS); // how long the level shows is the volume keys' test
    idle();
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_TRUE(platform_windowpixels(px, &w, &h));
    ASSERT_EQ(w, 640);
    long changed = 0, above = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (px[size_t(y) * w + x] != framepixel(x / 2, y / 2)) {
                changed++;
                above += y < h * 3 / 4; // the panel sits low in the picture
            }
    EXPECT_GT(changed, 2000);
    EXPECT_EQ(above, 0);

    presskey(SDLK_F12);
    const Rgb shot = readpng(shots + "/showcase-0001.png");
    ASSERT_EQ(shot.width, 320);
    long differ = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            const unsigned char *p = shot.at(x, y);
            differ += (uint32_t(p[0]) << 16 | p[1] << 8 | p[2]) != framepixel(x, y);
        }
    EXPECT_EQ(differ, 0) << "the screenshot holds the overlay";

    // Nothing else to do: the layer sleeps until the overlay is due to go, and no longer. The checks above
    // take their own time (a second and more on a loaded machine), so the wait starts from a fresh key: an
    // overlay that ends just before a wait rightly gives the long sleep.
    presskey(SDLK_PLUS);
    VolumeOverlay v{};
    ASSERT_TRUE(volume_overlay(GetTickCount(), &v));
    for (int i = 0; i < 50 && volume_overlay(GetTickCount()); i++) {
        pump();
        IdleMessage();
    }
    EXPECT_FALSE(volume_overlay(GetTickCount()));
    EXPECT_LT(GetTickCount() - v.until, 400u);
    idle();
    expectwholeframe(640, 480, 2, "after the overlay");
    EXPECT_EQ(platform_shownframes(), shown); // the show drew nothing for it
}
