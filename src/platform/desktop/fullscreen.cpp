// The desktop window's full screen, with or without a window manager, and the placement of a screen.
#include "platform/desktop/fullscreen.h"

#include <algorithm>
#include <cstring>

#ifdef SHOWCASE_X11
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace {

int assumed = -1;

struct FullscreenState {
    SDL_Window *window = nullptr;
    bool emulated = false; // full screen made by hand: borderless over the display
    SDL_Rect windowed{};   // where the window was before
};
FullscreenState fs;

void forget(SDL_Window *window) {
    if (fs.window != window) fs = FullscreenState{window};
}

} // namespace

// Asked each time: a window manager may start or stop while the show runs.
bool desktop_haswindowmanager(SDL_Window *window) {
    if (assumed >= 0) return assumed == 1;
    bool found = true;
#ifdef SHOWCASE_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        // A compliant window manager names its check window on the root window.
        Display *d = info.info.x11.display;
        const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
        Atom type = None;
        int format = 0;
        unsigned long n = 0, after = 0;
        unsigned char *data = nullptr;
        found = check != None &&
                XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &n,
                                   &after, &data) == Success &&
                type == XA_WINDOW && n == 1;
        if (data) XFree(data);
    }
#endif
    return found;
}

void desktop_assumewindowmanager(int known) {
    assumed = known;
}

bool desktop_isfullscreen(SDL_Window *window) {
    forget(window);
    if (fs.emulated) return true;
    return window && (SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP));
}

void desktop_setfullscreen(SDL_Window *window, bool on) {
    if (!window || desktop_isfullscreen(window) == on) return;
    if (on) {
        SDL_GetWindowPosition(window, &fs.windowed.x, &fs.windowed.y);
        SDL_GetWindowSize(window, &fs.windowed.w, &fs.windowed.h);
        if (desktop_haswindowmanager(window)) {
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
            return;
        }
        SDL_Rect display;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &display) != 0) return;
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, display.x, display.y);
        SDL_SetWindowSize(window, display.w, display.h);
        SDL_RaiseWindow(window);
        fs.emulated = true;
        return;
    }
    if (fs.emulated) {
        SDL_SetWindowBordered(window, SDL_TRUE);
        fs.emulated = false;
    } else {
        SDL_SetWindowFullscreen(window, 0);
    }
    // Some drivers leave SDL believing the window still has the display's size; the windowed size asked
    // for again makes the window and SDL agree.
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (fs.windowed.w > 0 && (w != fs.windowed.w || h != fs.windowed.h))
        SDL_SetWindowSize(window, fs.windowed.w, fs.windowed.h);
    SDL_SetWindowPosition(window, fs.windowed.x, fs.windowed.y);
}

SDL_Rect desktop_placement(int ow, int oh, int sw, int sh) {
    if (ow <= 0 || oh <= 0 || sw <= 0 || sh <= 0) return SDL_Rect{0, 0, 0, 0};
    int w, h;
    const int k = std::min(ow / sw, oh / sh);
    if (k >= 1) {
        w = sw * k;
        h = sh * k;
    } else if (long(ow) * sh <= long(oh) * sw) {
        w = ow;
        h = int(long(ow) * sh / sw);
    } else {
        h = oh;
        w = int(long(oh) * sw / sh);
    }
    return SDL_Rect{(ow - w) / 2, (oh - h) / 2, w, h};
}
