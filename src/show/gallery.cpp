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
        hilightselection(glcount & 127, artmenu, artbalk, artmenupos);
        blittoscreen(artmenu);
    }
}

void artmenumove(int pos) {
    uint32_t *dest = reinterpret_cast<uint32_t *>(artmenu);
    const uint32_t *bar = reinterpret_cast<const uint32_t *>(artbalk);
    for (int r = 1; r < 240; r++) std::memcpy(dest + r * 320 + 20, bar + (pos + r) * 100, 100 * 4);
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
    std::memcpy(virscr, artmenu, LOWRESBYTES);
    switchmode(320, 240);
    whichpart = PART_ARTMENU;
    runartmenu();
}
