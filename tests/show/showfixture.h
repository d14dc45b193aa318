// A small show in memory for the state machine and the timed sequences: empty scenes with a camera
// table, pictures with recognisable contents, the headless display of the mode-switching program.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "display/display.h"
#include "effects/effects.h"
#include "render/render.h"
#include "shell/shell.h"
#include "show/show.h"
#include "show/showint.h"

namespace showtest {

constexpr uint32_t MENUBG = 0x00204060;

// Bar row r has the pixel value 0x00100000 + r, so a copied window tells where it came from.
inline uint32_t barpixel(int row) {
    return 0x00100000u + uint32_t(row);
}

// The show never frees its scenes and pictures. Those a test or the asset set-up replaces stay reachable
// here, so the leak checker reports only real leaks.
inline std::vector<const void *> &kept = *new std::vector<const void *>; // never destroyed

inline world *emptyworld(long frames) {
    world *w = new world{};
    kept.push_back(w);
    w->numframes = frames;
    w->campositions = new camera[frames + 10]{};
    for (long i = 0; i < frames + 10; i++)
        w->campositions[i].position = {0.0f, 10.0f, -100.0f - float(i), 0.0f};
    return w;
}

// Empties the queue and counts the quits in it.
inline int drainquits() {
    int quits = 0;
    MSG m;
    while (PeekMessage(&m)) quits += m.message == WM_QUIT;
    return quits;
}

inline void setupshow() {
    static bool once = false;
    if (!once) {
        once = true;
        PlatformOptions o;
        o.headless = true;
        platform_init(o);
        calctabs();
        inittribuffer();
        initplanes();
        fillfadenrtab();
        hWnd = CreateShowWindow("Veltor", displaywindowwidth(), displaywindowheight(), WindowProc);
        auto alloc = [](long n) { return static_cast<unsigned char *>(mymalloc(n, 4)); };
        for (unsigned char **p : {&virscr, &virscr2, &credits, &greetings}) *p = alloc(HIRESBYTES);
        for (unsigned char **p : {&zarnbw, &veltorbw, &eyepic, &menubgd, &artmenu}) *p = alloc(LOWRESBYTES);
        artbalk = alloc(100 * 1600 * 4);
        piconscreen = alloc(640 * 1000 * 4);
    }
    kept.insert(kept.end(), {introw, menuw, zarnbw, veltorbw, eyepic, menubgd, artmenu, artbalk, credits,
                             greetings, piconscreen});
    introw = emptyworld(1000);
    menuw = emptyworld(200);
    introwereld = *introw;
    menuwereld = *menuw;
    objartleft = objartright = 0;
    std::fill_n(reinterpret_cast<uint32_t *>(menubgd), LOWRESBYTES / 4, MENUBG);
    std::fill_n(reinterpret_cast<uint32_t *>(artmenu), LOWRESBYTES / 4, 0x00000040u);
    uint32_t *bar = reinterpret_cast<uint32_t *>(artbalk);
    for (int r = 0; r < 1600; r++) std::fill_n(bar + r * 100, 100, barpixel(r));
    // A file that is not there: an opened picture stays black unless a test paints it.
    for (int i = 0; i < 13; i++)
        thepics[i] = picture{"none.jpg", i == 9 ? 600 : 640, i == 5 ? 960 : i == 9 ? 800 : 480};
    QUIT = waitblank = 0;
    whichpart = PART_MENU;
    menucursel = menurotpos = glcount = 0;
    curartsel = artmenupos = picofs = 0;
    SHOWCREDITS = SHOWGREETINGS = 0;
    for (int k = 0; k < 8; k++) T1[k] = 0, T2[k] = 16;
    POSINTS = 0;
    onsequencepass = nullptr;
    drainquits();
    if (!lpDD) initvideomode();
    switchmode(320, 240);
    std::memcpy(virscr, menubgd, LOWRESBYTES);
}

// The passes of the timed sequences, as they are drawn, and those of one segment.
inline std::vector<sequencepass> seen;
inline std::vector<sequencepass> ofsegment(int s) {
    std::vector<sequencepass> r;
    std::copy_if(seen.begin(), seen.end(), std::back_inserter(r), [s](auto &p) { return p.segment == s; });
    return r;
}

// A fade moves FADESTEP x 31 levels a second of measured time: each way for the logos and into the white (250
// levels; the second logo rises to 240 and falls from there), 240 a second out of it; the exit goes into the
// white at 240 levels a second and the eye out of it at 120. Every drawn pass measured mean ms.
inline void expectfadetimes(bool exit, int mean) {
    auto near = [exit, mean](std::vector<int> segments, double levels, double persecond) {
        double s = 0;
        for (int k : segments) s += double(ofsegment(k).size()) * mean * 0.001;
        EXPECT_NEAR(s, levels / persecond, 0.1 * levels / persecond)
            << (exit ? "exit" : "intro") << " at " << mean << " ms, segment " << segments[0];
    };
    if (exit) {
        near({2}, 250, 240);
        near({3}, 255, 120);
        return;
    }
    for (int s : {2, 3, 8}) near({s}, 250, 124);
    near({5, 6}, 480, 124);
    near({9}, 250, 240);
}

inline void press(int vk) {
    PostMessage(WM_KEYDOWN, WPARAM(vk), 0);
}

inline uint32_t screenpixel(int x, int y) {
    return surface_pixels(lpDDSPrimary)[y * surface_width(lpDDSPrimary) + x];
}

} // namespace showtest

namespace showtest {

// The show loaded from the generated default data tree (skipped where the build made none).
class GeneratedShow : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string data = std::string(SHOWCASE_BUILD_DIR) + "/data";
        if (!std::filesystem::exists(data + "/gfx/menu.3DS")) GTEST_SKIP() << "no data tree in " << data;
        setupshow();
        const auto cwd = std::filesystem::current_path();
        std::filesystem::current_path(data);
        init3dscenes();
        std::filesystem::current_path(cwd);
    }
};

} // namespace showtest
