// Surfaces and the display object: memory blocks of 32-bit pixels with lock, unlock and blits, and a
// display whose primary surface is what the screen shows.
#include <cstring>
#include <new>
#include <vector>

#include "platform/platform.h"
#include "platform/screen.h"

struct Surface {
    int width = 0, height = 0;
    bool primary = false;
    bool locked = false;
    bool failnextlock = false;
    DirectDraw *owner = nullptr;
    std::vector<uint32_t> pixels;
};

struct DirectDraw {
    int modewidth = 640, modeheight = 480;
    Surface *primary = nullptr;
};

unsigned DirectDrawCreate(DirectDraw **dd) {
    *dd = new DirectDraw;
    return DD_OK;
}

unsigned dd_setcooperativelevel(DirectDraw *, HWND, unsigned) {
    return DD_OK;
}

unsigned dd_setdisplaymode(DirectDraw *dd, int width, int height, int bits) {
    if (!dd || width <= 0 || height <= 0 || bits != 32) return DDERR_INVALIDPARAMS;
    dd->modewidth = width;
    dd->modeheight = height;
    return DD_OK;
}

unsigned dd_createsurface(DirectDraw *dd, const DDSURFACEDESC &desc, Surface **out) {
    *out = nullptr;
    if (!dd || desc.dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    auto *s = new (std::nothrow) Surface;
    if (!s) return DDERR_OUTOFMEMORY;
    s->owner = dd;
    if (desc.ddsCaps & DDSCAPS_PRIMARYSURFACE) {
        s->primary = true;
        s->width = dd->modewidth;
        s->height = dd->modeheight;
        dd->primary = s;
    } else {
        if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT) || desc.dwWidth <= 0 ||
            desc.dwHeight <= 0) {
            delete s;
            return DDERR_INVALIDPARAMS;
        }
        s->width = desc.dwWidth;
        s->height = desc.dwHeight;
    }
    s->pixels.assign(size_t(s->width) * s->height, 0);
    *out = s;
    return DD_OK;
}

unsigned dd_waitforverticalblank(DirectDraw *, unsigned) {
    screen_waittick();
    return DD_OK;
}

void dd_release(DirectDraw *dd) {
    delete dd;
}

void surface_release(Surface *s) {
    if (!s) return;
    if (s->primary && s->owner && s->owner->primary == s) s->owner->primary = nullptr;
    delete s;
}

unsigned surface_lock(Surface *s, DDSURFACEDESC *desc, unsigned) {
    if (!s) return DDERR_INVALIDPARAMS;
    if (s->failnextlock) {
        s->failnextlock = false;
        return DDERR_SURFACEBUSY;
    }
    if (s->locked) return DDERR_SURFACEBUSY;
    s->locked = true;
    desc->lpSurface = s->pixels.data();
    desc->lPitch = long(s->width) * 4;
    desc->dwWidth = s->width;
    desc->dwHeight = s->height;
    return DD_OK;
}

unsigned surface_unlock(Surface *s) {
    if (!s) return DDERR_INVALIDPARAMS;
    s->locked = false;
    return DD_OK;
}

namespace {

void shownifprimary(Surface *dst) {
    if (dst->primary) screen_show(dst->pixels.data(), dst->width, dst->height);
}

} // namespace

unsigned surface_blt(Surface *dst, const RECT *dstrect, Surface *src) {
    if (!dst || !src) return DDERR_INVALIDPARAMS;
    if (dst->locked || src->locked) return DDERR_SURFACEBUSY;
    RECT r = dstrect ? *dstrect : RECT{0, 0, dst->width, dst->height};
    if (r.left < 0 || r.top < 0 || r.right > dst->width || r.bottom > dst->height || r.right <= r.left ||
        r.bottom <= r.top)
        return 0x88760096; // the rectangle is not inside the destination
    const int dw = r.right - r.left, dh = r.bottom - r.top;
    // Nearest-neighbour scaling, as a blitter without filtering does.
    for (int y = 0; y < dh; y++) {
        const int sy = int((long long)y * src->height / dh);
        const uint32_t *srow = src->pixels.data() + size_t(sy) * src->width;
        uint32_t *drow = dst->pixels.data() + size_t(r.top + y) * dst->width + r.left;
        if (dw == src->width) {
            std::memcpy(drow, srow, size_t(dw) * 4);
        } else {
            for (int x = 0; x < dw; x++) drow[x] = srow[(long long)x * src->width / dw];
        }
    }
    shownifprimary(dst);
    return DD_OK;
}

unsigned surface_bltfast(Surface *dst, int x, int y, Surface *src, unsigned) {
    if (!dst || !src) return DDERR_INVALIDPARAMS;
    if (dst->locked || src->locked) return DDERR_SURFACEBUSY;
    if (x < 0 || y < 0 || x + src->width > dst->width || y + src->height > dst->height)
        return 0x88760096; // the source does not fit at that place
    for (int row = 0; row < src->height; row++)
        std::memcpy(dst->pixels.data() + size_t(y + row) * dst->width + x,
                    src->pixels.data() + size_t(row) * src->width, size_t(src->width) * 4);
    shownifprimary(dst);
    return DD_OK;
}

int surface_width(const Surface *s) {
    return s ? s->width : 0;
}
int surface_height(const Surface *s) {
    return s ? s->height : 0;
}
const uint32_t *surface_pixels(const Surface *s) {
    return s ? s->pixels.data() : nullptr;
}
void surface_failnextlock(Surface *s) {
    if (s) s->failnextlock = true;
}
