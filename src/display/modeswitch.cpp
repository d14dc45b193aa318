// Mode-switching presentation: the display mode follows the frame size, and every frame is copied
// unscaled to the origin, filling the screen.
#include "display/display.h"
#include "display/variant.h"
#include "state/state.h"

int displaywindowwidth() {
    return 320;
}
int displaywindowheight() {
    return 240;
}

void initvideomode() {
    DirectDrawCreate(&lpDD);
    dd_setcooperativelevel(lpDD, nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
    if (showscale > 1) setframesize(askedwidth(), askedheight());
    dd_setdisplaymode(lpDD, vesax, vesay, 32);
    createsurfaces();
    for (int i = 0; i < 3; i++) dd_waitforverticalblank(lpDD, DDWAITVB_BLOCKBEGIN);
}

void switchmode(int x, int y) {
    setframesize(x, y);
    if (!lpDD) return; // released at the end of the show: nothing to show on
    dd_setdisplaymode(lpDD, vesax, vesay, 32);
    releasesurface(lpDDSPrimary);
    releasesurface(lpDDSBack);
    fillprimarydesc(ddsdPrim);
    dd_createsurface(lpDD, ddsdPrim, &lpDDSPrimary);
    fillbackdesc(ddsdBack, vesax, vesay);
    processddrawcreaterror(dd_createsurface(lpDD, ddsdBack, &lpDDSBack));
    for (int i = 0; i < 5; i++) {
        dd_waitforverticalblank(lpDD, DDWAITVB_BLOCKBEGIN);
        dd_waitforverticalblank(lpDD, DDWAITVB_BLOCKEND);
    }
}

void blittoscreen(const unsigned char *buffer) {
    if (!copytobacksurface(buffer)) return;
    if (waitblank) dd_waitforverticalblank(lpDD, DDWAITVB_BLOCKEND);
    processbliterror(int(surface_bltfast(lpDDSPrimary, 0, 0, lpDDSBack, DDBLTFAST_NOCOLORKEY)));
}
