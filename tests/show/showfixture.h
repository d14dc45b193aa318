// A small show in memory for the state machine and the timed sequences: empty scenes with a camera
// table, pictures with recognisable contents, the headless display of the mode-switching program.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/display.h"
#include "effects/effects.h"
#include "render/render.h"
#include "shell/shell.h"
#include "show/show.h"
#include "show/showint.h"

namespace showtest {

constexpr uint32_t MENUBG = 0x00204060;
constexpr uint32_t CREDITSPIC = 0x00808080;

// Bar row r has the pixel value 0x00100000 + r, so a copied window tells where it came from.
inline uint32_t barpixel(int row) {
    return 0x00100000u + uint32_t(row);
}

inline world *emptyworld(long frames) {
    world *w = new world{};
    w->numframes = frames;
    w->campositions = new camera[frames + 10]{};
    for (long i = 0; i < frames + 10; i++) {
        w->campositions[i].position = {0.0f, 10.0f, -100.0f - float(i), 0.0f};
        w->campositions[i].target = {0.0f, 0.0f, 0.0f, 0.0f};
    }
    return w;
}

inline void fill(unsigned char *p, long bytes, uint32_t v) {
    uint32_t *q = reinterpret_cast<uint32_t *>(p);
    for (long i = 0; i < bytes / 4; i++) q[i] = v;
}

inline void setupshow(long introframes = 1000, long menuframes = 200) {
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
        virscr = static_cast<unsigned char *>(mymalloc(HIRESBYTES, 4));
        virscr2 = static_cast<unsigned char *>(mymalloc(HIRESBYTES, 4));
        zarnbw = static_cast<unsigned char *>(mymalloc(LOWRESBYTES, 4));
        veltorbw = static_cast<unsigned char *>(mymalloc(LOWRESBYTES, 4));
        eyepic = static_cast<unsigned char *>(mymalloc(LOWRESBYTES, 4));
        menubgd = static_cast<unsigned char *>(mymalloc(LOWRESBYTES, 4));
        artmenu = static_cast<unsigned char *>(mymalloc(LOWRESBYTES, 4));
        artbalk = static_cast<unsigned char *>(mymalloc(100 * 1600 * 4, 4));
        credits = static_cast<unsigned char *>(mymalloc(HIRESBYTES, 4));
        greetings = static_cast<unsigned char *>(mymalloc(HIRESBYTES, 4));
        piconscreen = static_cast<unsigned char *>(mymalloc(640 * 1000 * 4, 4));
    }
    introw = emptyworld(introframes);
    menuw = emptyworld(menuframes);
    introwereld = *introw;
    menuwereld = *menuw;
    objartleft = objartright = 0;
    fill(menubgd, LOWRESBYTES, MENUBG);
    fill(artmenu, LOWRESBYTES, 0x00000040);
    fill(eyepic, LOWRESBYTES, 0x00102030);
    fill(credits, HIRESBYTES, CREDITSPIC);
    fill(greetings, HIRESBYTES, CREDITSPIC);
    uint32_t *bar = reinterpret_cast<uint32_t *>(artbalk);
    for (int r = 0; r < 1600; r++)
        for (int c = 0; c < 100; c++) bar[r * 100 + c] = barpixel(r);
    // Names of files that are not there: an opened picture stays black unless a test paints it.
    static const char *names[13] = {"none0.jpg",  "none1.jpg",  "none2.jpg", "none3.jpg", "none4.jpg",
                                    "none5.jpg",  "none6.jpg",  "none7.jpg", "none8.jpg", "none9.jpg",
                                    "none10.jpg", "none11.jpg", "none12.jpg"};
    static const int heights[13] = {480, 480, 480, 480, 480, 960, 480, 480, 480, 800, 480, 480, 480};
    for (int i = 0; i < 13; i++) thepics[i] = picture{names[i], i == 9 ? 600 : 640, heights[i]};

    QUIT = 0;
    waitblank = 0;
    whichpart = PART_MENU;
    menucursel = 0;
    menurotpos = 0;
    curartsel = 0;
    artmenupos = 0;
    glcount = 0;
    picofs = 0;
    SHOWCREDITS = SHOWGREETINGS = 0;
    for (int k = 0; k < 8; k++) T1[k] = 0, T2[k] = 16;
    POSINTS = 0;
    onsequencepass = nullptr;
    MSG m;
    while (PeekMessage(&m)) {
    }
    if (!lpDD) initvideomode();
    switchmode(320, 240);
    std::memcpy(virscr, menubgd, LOWRESBYTES);
}

inline void press(int vk) {
    PostMessage(WM_KEYDOWN, WPARAM(vk), 0);
}

// Dispatches queued messages the way the main loop does, until the queue is empty or a quit arrives.
inline void runqueue() {
    MSG m;
    while (PeekMessage(&m)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam)); // leave it for the test to find
            return;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
}

inline uint32_t screenpixel(int x, int y) {
    return surface_pixels(lpDDSPrimary)[y * surface_width(lpDDSPrimary) + x];
}

} // namespace showtest
