// Inside the platform layer: the desktop window's full screen and where a screen goes in it.
#pragma once

#include <SDL.h>

// Full screen through the window manager where there is one. Without one (a bare X server, as for kiosks
// and screen grabs) nobody answers a full-screen request and SDL would believe in a size the window does
// not have; the window is then made borderless and given the whole display directly.
void desktop_setfullscreen(SDL_Window *window, bool on);
bool desktop_isfullscreen(SDL_Window *window);
// Whether a window manager looks after the window (always true away from X11).
bool desktop_haswindowmanager(SDL_Window *window);
// For tests: take the answer as given (1 or 0) instead of asking; -1 asks again.
void desktop_assumewindowmanager(int known);

// Where a screen of sw x sh pixels goes on an output of ow x oh: centred, 4:3 kept, the largest integer
// factor that fits, else the largest rectangle that fits.
SDL_Rect desktop_placement(int ow, int oh, int sw, int sh);
