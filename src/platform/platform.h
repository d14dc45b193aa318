// The small layer that stands where the window system, the display objects and the sound library stood:
// messages with virtual-key codes, surfaces with lock and blit, the clock, the window and the audio
// device. SDL2 underneath; a headless twin runs on SDL's dummy drivers and a virtual clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// --- messages ---
using HWND = void *;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct MSG {
    HWND hwnd;
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};

enum : unsigned {
    WM_DESTROY = 0x0002,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
};

enum : int {
    VK_RETURN = 0x0D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
};

using WNDPROC = LRESULT (*)(HWND, unsigned, WPARAM, LPARAM);

// Removes the next message if there is one (and gathers what the window system has to say first).
bool PeekMessage(MSG *m);
void TranslateMessage(const MSG *m);
LRESULT DispatchMessage(const MSG *m);
void PostQuitMessage(int code);
void PostMessage(unsigned message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND, unsigned, WPARAM, LPARAM);
// The main loop's wait when its queue is empty: one 60 Hz tick at most. In a virtual-clock run the
// screen is shown again for that tick, so a capture keeps time while the show waits for a key.
void IdleMessage();

// --- the clock ---
// Milliseconds of a monotonic clock, or of the virtual clock in headless runs.
uint32_t GetTickCount();

// --- the window ---
struct PlatformOptions {
    bool window = false;       // a window instead of full screen
    bool headless = false;     // dummy drivers and the virtual clock
    std::string keys;          // key script
    std::string capture;       // capture destination: a folder for PNG + WAV, or a video file
    long frames = -1;          // stop after this many shown frames
    std::string screenshotdir; // where F12 writes; empty: the user's pictures folder
    int volume = -1;           // the viewer's music level, 0..VOLUME_FULL; -1: the show's own level
    bool mute = false;         // start muted
    bool dummywindow = false;  // tests: a real SDL window and renderer even on the dummy video driver
    int videowidth = 640;      // the size a video capture is written at, whatever size each screen has
    int videoheight = 480;
};
extern PlatformOptions platformoptions;

// Starts SDL (dummy drivers when headless). Returns false, with a message, when there is no display.
bool platform_init(const PlatformOptions &o);
HWND CreateShowWindow(const char *title, int width, int height, WNDPROC proc);
void ShowCursor(bool show);
// Closes everything. False when what the run was asked to write (a capture) could not be written; the
// message has been given.
bool platform_shutdown();
// Shown frames so far (every presentation of the primary surface).
long platform_shownframes();
// For tests: the window's pixels as last presented (0x00RRGGBB). False without a window.
bool platform_windowpixels(std::vector<uint32_t> &out, int *width, int *height);

// --- surfaces ---
enum : unsigned {
    DD_OK = 0,
    DDERR_SURFACEBUSY = 0x887601AE,
    DDERR_SURFACELOST = 0x887601C2,
    DDERR_INVALIDPARAMS = 0x80070057,
    DDERR_OUTOFMEMORY = 0x8007000E,
};
enum : unsigned {
    DDSD_CAPS = 0x1,
    DDSD_HEIGHT = 0x2,
    DDSD_WIDTH = 0x4,
    DDSD_PIXELFORMAT = 0x1000,
    DDSCAPS_OFFSCREENPLAIN = 0x40,
    DDSCAPS_PRIMARYSURFACE = 0x200,
    DDSCAPS_SYSTEMMEMORY = 0x800,
    DDPF_RGB = 0x40,
    DDSCL_FULLSCREEN = 0x1,
    DDSCL_EXCLUSIVE = 0x10,
    DDWAITVB_BLOCKBEGIN = 1,
    DDWAITVB_BLOCKEND = 4,
    DDLOCK_WAIT = 1,
    DDBLTFAST_NOCOLORKEY = 0,
};

struct DDPIXELFORMAT {
    unsigned dwSize, dwFlags, dwRGBBitCount, dwRBitMask, dwGBitMask, dwBBitMask, dwRGBAlphaBitMask;
};
struct DDSURFACEDESC {
    unsigned dwSize;
    unsigned dwFlags;
    int dwHeight, dwWidth;
    long lPitch;
    void *lpSurface;
    unsigned ddsCaps;
    DDPIXELFORMAT ddpfPixelFormat;
};
struct RECT {
    int left, top, right, bottom;
};

struct Surface;    // a block of 32-bit pixels
struct DirectDraw; // the display: its mode and its primary surface

unsigned DirectDrawCreate(DirectDraw **dd);
unsigned dd_setcooperativelevel(DirectDraw *dd, HWND w, unsigned flags);
unsigned dd_setdisplaymode(DirectDraw *dd, int width, int height, int bits);
unsigned dd_createsurface(DirectDraw *dd, const DDSURFACEDESC &desc, Surface **out);
unsigned dd_waitforverticalblank(DirectDraw *dd, unsigned flags);
void dd_release(DirectDraw *dd);
void surface_release(Surface *s);
// Locks the whole surface: fills lpSurface and lPitch of desc. 0 on success.
unsigned surface_lock(Surface *s, DDSURFACEDESC *desc, unsigned flags);
unsigned surface_unlock(Surface *s);
// Scaled blit of the whole source into dst's rectangle (dstrect null: the whole destination).
unsigned surface_blt(Surface *dst, const RECT *dstrect, Surface *src);
// Unscaled copy of the whole source to (x, y) of the destination.
unsigned surface_bltfast(Surface *dst, int x, int y, Surface *src, unsigned flags);

// For tests and screenshots: the current screen (the primary surface's pixels).
int surface_width(const Surface *s);
int surface_height(const Surface *s);
const uint32_t *surface_pixels(const Surface *s);
// For tests: make the next lock of s fail (busy), as a lost surface would.
void surface_failnextlock(Surface *s);

// --- audio ---
// The music device: a stereo float renderer called from the audio thread, or in step with the shown
// frames in capture runs. The callback fills frames x 2 floats.
using AudioRender = void (*)(float *out, int frames, void *user);
void audio_open(AudioRender render, void *user);
void audio_close();
constexpr int AUDIO_RATE = 48000;

// The viewer's volume, on the player's scale: 0 silence, VOLUME_NORMAL the show's own level. It scales
// whatever the show plays, so the show's own fades still end in silence. Safe against the audio thread.
constexpr int VOLUME_FULL = 64, VOLUME_NORMAL = 40, VOLUME_STEP = 4;
void audio_setviewer(int level, bool mute);
int audio_viewerlevel();
bool audio_muted();
float audio_viewergain(); // level / VOLUME_NORMAL, 0 when muted
// The command line's 0..100 and back.
int volume_frompercent(int percent);
int volume_percent(int level);
