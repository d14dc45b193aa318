// Fixed-mode presentation: the screen stays 640 x 480 and every frame is blitted into its top-left
// 320 x 240, scaled to fit; the other three quarters keep what was last shown there.
#include "display/display.h"
#include "display/variant.h"
#include "state/state.h"

int displaywindowwidth() {
    return 640;
}
int displaywindowheight() {
    return 480;
}

void initvideomode() {
    DirectDrawCreate(&lpDD);
    dd_setcooperativelevel(lpDD, nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
    // At a larger scale the screen grows with the frame, which keeps its top-left quarter.
    if (showscale > 1) setframesize(askedwidth(), askedheight());
    dd_setdisplaymode(lpDD, 640 * showscale, 480 * showscale, 32);
    createsurfaces();
    for (int i = 0; i < 3; i++) dd_waitforverticalblank(lpDD, DDWAITVB_BLOCKBEGIN);
}

void switchmode(int x, int y) {
    setframesize(x, y);
    releasesurface(lpDDSBack);
    if (!lpDD) return; // released at the end of the show: nothing to show on
    fillbackdesc(ddsdBack, vesax, vesay);
    processddrawcreaterror(dd_createsurface(lpDD, ddsdBack, &lpDDSBack));
}

void blittoscreen(const unsigned char *buffer) {
    if (!copytobacksurface(buffer)) return;
    if (waitblank) dd_waitforverticalblank(lpDD, DDWAITVB_BLOCKEND);
    const RECT quarter{0, 0, 320 * showscale, 240 * showscale};
    processbliterror(int(surface_blt(lpDDSPrimary, &quarter, lpDDSBack)));
}
