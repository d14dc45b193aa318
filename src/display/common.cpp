// What both presentation variants share: the frame size, the surfaces, the failure reporters and the
// release of the display objects.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "platform/program.h"
#include "state/state.h"

int vesax = 320, vesay = 240;
const int vesaxx4 = 1280;
const float xsize = 160.0f, ysize = 120.0f;

DirectDraw *lpDD = nullptr;
Surface *lpDDSPrimary = nullptr;
Surface *lpDDSBack = nullptr;
DDSURFACEDESC ddsdPrim, ddsdBack;

namespace {
int askedx = 320, askedy = 240;
// A 640 x 480 screen in a larger frame: enlarged by whole multiples (0: frames are copied as they are)
// and centred.
int enlarged = 0, enlargedleft = 0, enlargedtop = 0;
} // namespace

int askedwidth() {
    return askedx;
}
int askedheight() {
    return askedy;
}

void setframesize(int x, int y) {
    askedx = x;
    askedy = y;
    enlarged = 0;
    if (showscale <= 1) {
        vesax = x;
        vesay = y;
        return;
    }
    vesax = 320 * showscale;
    vesay = 240 * showscale;
    if (x == 640 && y == 480) {
        // Half the scale where that is whole, else the largest whole multiple that fits.
        enlarged = std::max(1, std::min(vesax / 640, vesay / 480));
        enlargedleft = (vesax - 640 * enlarged) / 2;
        enlargedtop = (vesay - 480 * enlarged) / 2;
    }
}

void fillprimarydesc(DDSURFACEDESC &d) {
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps = DDSCAPS_PRIMARYSURFACE;
}

void fillbackdesc(DDSURFACEDESC &d, int width, int height) {
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    d.dwHeight = height;
    d.dwWidth = width;
    d.ddsCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.ddpfPixelFormat = DDPIXELFORMAT{32, DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0};
}

namespace {

struct Code {
    unsigned code;
    const char *name;
};

const Code createerrors[] = {
    {0x8876005F, "DDERR_INCOMPATIBLEPRIMARY"},
    {0x88760064, "DDERR_INVALIDCAPS"},
    {0x88760082, "DDERR_INVALIDOBJECT"},
    {0x80070057, "DDERR_INVALIDPARAMS"},
    {0x88760091, "DDERR_INVALIDPIXELFORMAT"},
    {0x887600B4, "DDERR_NOALPHAHW"},
    {0x887600D4, "DDERR_NOCOOPERATIVELEVELSET"},
    {0x88760233, "DDERR_NODIRECTDRAWHW"},
    {0x88760235, "DDERR_NOEMULATION"},
    {0x887600E1, "DDERR_NOEXCLUSIVEMODE"},
    {0x887600E6, "DDERR_NOFLIPHW"},
    {0x8876024F, "DDERR_NOMIPMAPHW"},
    {0x88760154, "DDERR_NOZBUFFERHW"},
    {0x8007000E, "DDERR_OUTOFMEMORY"},
    {0x8876017C, "DDERR_OUTOFVIDEOMEMORY"},
    {0x88760234, "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {0x8876024E, "DDERR_UNSUPPORTEDMODE"},
};

const Code bliterrors[] = {
    {0x80004005, "DDERR_GENERIC"},       {0x8876006E, "DDERR_INVALIDCLIPLIST"},
    {0x88760082, "DDERR_INVALIDOBJECT"}, {0x80070057, "DDERR_INVALIDPARAMS"},
    {0x88760096, "DDERR_INVALIDRECT"},   {0x887600B4, "DDERR_NOALPHAHW"},
    {0x8876023F, "DDERR_NOBLTHW"},       {0x887600CD, "DDERR_NOCLIPLIST"},
    {0x88760240, "DDERR_NODDROPSHW"},    {0x887600FA, "DDERR_NOMIRRORHW"},
    {0x88760118, "DDERR_NORASTEROPHW"},  {0x88760122, "DDERR_NOROTATIONHW"},
    {0x88760136, "DDERR_NOSTRETCHHW"},   {0x88760154, "DDERR_NOZBUFFERHW"},
    {0x887601AE, "DDERR_SURFACEBUSY"},   {0x887601C2, "DDERR_SURFACELOST"},
    {0x80004001, "DDERR_UNSUPPORTED"},
};

// The failure is reported and the show goes on. A line on standard error stands where a message box
// stood: it names the failure instead of showing a blank box, and never blocks a headless run.
template <size_t N> void report(const Code (&list)[N], unsigned code, const char *what) {
    for (const Code &c : list)
        if (c.code == code) {
            std::fprintf(stderr, "%s: %s failed: %s (0x%08X)\n", programname(), what, c.name, code);
            return;
        }
}

} // namespace

void processddrawcreaterror(unsigned code) {
    report(createerrors, code, "creating a display surface");
}
void processbliterror(int code) {
    report(bliterrors, unsigned(code), "showing a frame");
}

void releasesurface(Surface *&s) {
    if (s) {
        surface_release(s);
        s = nullptr;
    }
}

void finiDDObjects() {
    if (lpDD == nullptr) return;
    releasesurface(lpDDSPrimary);
    releasesurface(lpDDSBack);
    dd_release(lpDD);
    lpDD = nullptr;
}

// The copy of a frame into the back surface, shared by both variants. False: the frame is dropped.
bool copytobacksurface(const unsigned char *buffer) {
    if (!lpDDSBack || surface_lock(lpDDSBack, &ddsdBack, DDLOCK_WAIT) != 0) return false;
    const long pitch = ddsdBack.lPitch & ~3L;
    unsigned char *dst = static_cast<unsigned char *>(ddsdBack.lpSurface);
    if (enlarged > 0) {
        // Each pixel of the 640 x 480 screen becomes a block; the border keeps the black the surface was
        // made with.
        enlargepicture(buffer, 640, 480, dst + enlargedtop * pitch + enlargedleft * 4, enlarged, pitch);
        surface_unlock(lpDDSBack);
        return true;
    }
    for (int y = 0; y < vesay; y++)
        std::memcpy(dst + y * pitch, buffer + size_t(y) * vesax * 4, size_t(vesax) * 4);
    surface_unlock(lpDDSBack);
    return true;
}

void blitwholescreen(const unsigned char *buffer) {
    if (!lpDDSPrimary || !copytobacksurface(buffer)) return;
    const RECT whole{0, 0, surface_width(lpDDSPrimary), surface_height(lpDDSPrimary)};
    processbliterror(int(surface_blt(lpDDSPrimary, &whole, lpDDSBack)));
}

// Creates the primary and the back surface of the current frame size and clears the back surface.
void createsurfaces() {
    fillprimarydesc(ddsdPrim);
    dd_createsurface(lpDD, ddsdPrim, &lpDDSPrimary);
    fillbackdesc(ddsdBack, vesax, vesay);
    processddrawcreaterror(dd_createsurface(lpDD, ddsdBack, &lpDDSBack));
    if (lpDDSBack && surface_lock(lpDDSBack, &ddsdBack, DDLOCK_WAIT) == 0) {
        unsigned char *dst = static_cast<unsigned char *>(ddsdBack.lpSurface);
        for (int y = 0; y < vesay; y++) std::memset(dst + y * ddsdBack.lPitch, 0, size_t(vesax) * 4);
        surface_unlock(lpDDSBack);
    }
}
