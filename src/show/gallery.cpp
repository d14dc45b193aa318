// The gallery: the art menu with its glowing selection box over the artists' bar, and the picture view
// that writes an opened picture straight into the back surface.
#include <algorithm>
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "image/image.h"
#include "show/show.h"
#include "show/showint.h"
#include "state/state.h"

static constexpr long PICBYTES = 640 * 1000 * 4;

bool pumpmessage() {
    if (!PeekMessage(&msg)) return false;
    if (msg.message == WM_QUIT) {
        QUIT = 1;
        PostQuitMessage(static_cast<int>(msg.wParam));
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    return true;
}

void runartmenu() {
    while (whichpart == PART_ARTMENU && !QUIT) {
        if (pumpmessage()) continue;
        glcount += 2;
        hilightselection(glcount & 127, artmenu, artbalk, artmenupos, showframe.scale);
        blittoscreen(artmenu);
    }
}

void artmenumove(int pos) {
    uint32_t *dest = reinterpret_cast<uint32_t *>(artmenu);
    const uint32_t *bar = reinterpret_cast<const uint32_t *>(artbalk);
    // Menu and bar are enlarged alike: each row of the larger menu takes the row of the larger bar
    // that lies as far below the position.
    const int k = showframe.scale;
    for (int r = k; r < 240 * k; r++)
        std::memcpy(dest + long(r) * 320 * k + 20 * k, bar + (long(pos) * k + r) * 100 * k, 100 * k * 4);
}

static void movebar(int step) {
    const int p = artmenupos;
    for (int i = 0; i <= 25; i++) {
        artmenumove(p + step * i);
        blittoscreen(artmenu);
    }
    glcount = 0;
    curartsel += step > 0 ? 1 : -1;
    artmenupos = p + step * 25;
}

void artmenuup() {
    movebar(-4);
}
void artmenudown() {
    movebar(4);
}

void showpicture() {
    picofs = 0;
    switchmode(640, 480);
    std::memset(piconscreen, 0, PICBYTES);
    readjpg(thepics[curartsel].path, piconscreen, PICBYTES);
    showpiconscreen(0);
}

void showpiconscreen(int ofs) {
    if (!lpDDSBack) return;
    if (showscale > 1) {
        // A larger screen: the view is put together at 640 x 480 and enlarged into it.
        const picture &pic = thepics[curartsel];
        const int rows = std::min(480, pic.height - ofs);
        const int cols = std::min(pic.width, 640);
        std::memset(virscr2, 0, HIRESBYTES);
        for (int y = 0; y < rows; y++) {
            const long row = static_cast<long>(ofs + y) * pic.width;
            if (row < 0 || row + cols > PICBYTES / 4) break;
            std::memcpy(virscr2 + y * 640 * 4, piconscreen + row * 4, cols * 4);
        }
        blitwholescreen(virscr2);
        return;
    }
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface_lock(lpDDSBack, &desc, DDLOCK_WAIT) != DD_OK) return;
    const picture &pic = thepics[curartsel];
    const long pitch = desc.lPitch / 4;
    // Never past the picture block nor past the surface, whatever the table and the mode say.
    const int rows = std::min({480, surface_height(lpDDSBack), pic.height - ofs});
    const int cols = std::min({pic.width, surface_width(lpDDSBack), static_cast<int>(pitch)});
    const uint32_t *src = reinterpret_cast<const uint32_t *>(piconscreen);
    uint32_t *dst = static_cast<uint32_t *>(desc.lpSurface);
    for (int y = 0; y < rows; y++) {
        const long row = static_cast<long>(ofs + y) * pic.width;
        if (row < 0 || row + cols > PICBYTES / 4) break;
        std::memcpy(dst + y * pitch, src + row, cols * 4);
    }
    surface_unlock(lpDDSBack);
    const RECT whole{0, 0, 640, 480};
    if (lpDDSPrimary) surface_blt(lpDDSPrimary, &whole, lpDDSBack);
}

void scrollpicup() {
    if (thepics[curartsel].height > 480 && picofs > 0) {
        picofs -= 4;
        showpiconscreen(picofs);
    }
}

void scrollpicdown() {
    if (thepics[curartsel].height > 480 && picofs < thepics[curartsel].height - 480) {
        picofs += 4;
        showpiconscreen(picofs);
    }
}

void backtoartmenu() {
    std::memcpy(virscr, artmenu, framebytes());
    switchmode(320, 240);
    whichpart = PART_ARTMENU;
    runartmenu();
}
