// The window, the message queue, the clock and the pacing of shown frames, on SDL2.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/capture.h"
#include "platform/desktop/fullscreen.h"
#include "platform/desktop/signals.h"
#include "platform/messages.h"
#include "platform/pacing.h"
#include "platform/platform.h"
#include "platform/program.h"
#include "platform/screen.h"

PlatformOptions platformoptions;

namespace {

constexpr double TICKHZ = 60.0;

struct PlatformState : ShownScreen {
    bool started = false;
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;
    int texw = 0, texh = 0;
    // Clock: real time from the performance counter, or virtual ticks.
    uint64_t start = 0;
    uint64_t freq = 1;
    FramePacer pacer;
    // Whether the window shows the volume overlay, and whether the level changed since it was drawn.
    bool overlaydrawn = false;
    bool overlaychanged = false;
};
PlatformState ps;

double realseconds() {
    return double(SDL_GetPerformanceCounter() - ps.start) / double(ps.freq);
}

long currenttick() {
    return ps.virtualclock ? ps.virtualticks : long(std::floor(realseconds() * TICKHZ));
}

void sleepuntil(double when) {
    for (;;) {
        const double wait = when - realseconds();
        if (wait <= 0) return;
        if (wait > 0.002)
            SDL_Delay(uint32_t((wait - 0.001) * 1000));
        else
            SDL_Delay(0);
    }
}

int vkfromsdl(SDL_Keycode k) {
    switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_SPACE:
        return VK_SPACE;
    default:
        if (k >= 'a' && k <= 'z') return int(k - 'a' + 'A');
        if (k >= '0' && k <= '9') return int(k);
        return 0xFF; // some other key
    }
}

// The volume overlay's glyphs, 5 x 7, a row a byte (bit 4 the left column): digits, '%' and "muted".
struct Glyph {
    char c;
    uint8_t rows[7];
};
constexpr Glyph GLYPHS[] = {
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},  {'2', {14, 17, 1, 2, 4, 8, 31}},
    {'3', {31, 2, 4, 2, 1, 17, 14}},     {'4', {2, 6, 10, 18, 31, 2, 2}}, {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},   {'8', {14, 17, 17, 14, 17, 17, 14}},
    {'9', {14, 17, 17, 15, 1, 2, 12}},   {'%', {24, 25, 2, 4, 8, 19, 3}}, {'m', {0, 0, 26, 21, 21, 17, 17}},
    {'u', {0, 0, 17, 17, 17, 19, 13}},   {'t', {8, 8, 28, 8, 8, 9, 6}},   {'e', {0, 0, 14, 17, 31, 16, 14}},
    {'d', {1, 1, 13, 19, 17, 17, 15}},
};

void drawtext(const char *text, int x, int y, int u) {
    for (; *text; text++, x += 6 * u)
        for (const Glyph &g : GLYPHS)
            if (g.c == *text)
                for (int r = 0; r < 7; r++)
                    for (int c = 0; c < 5; c++)
                        if (g.rows[r] & (16 >> c)) {
                            const SDL_Rect px{x + c * u, y + r * u, u, u};
                            SDL_RenderFillRect(ps.renderer, &px);
                        }
}

// The viewer's level over the picture, as media players show it: a panel near the bottom of the picture
// with the level in per cent (or "muted") and a bar of its 64 steps. Drawn on the scaled output only, so
// the show's screens, screenshots and captures never hold it.
void drawoverlay(const SDL_Rect &picture, const VolumeOverlay &v) {
    const int u = std::max(1, picture.w / 320); // one pixel of the panel's own 5 x 7 lettering
    const int w = 106 * u, h = 13 * u;
    const int x = picture.x + (picture.w - w) / 2, y = picture.y + picture.h - h - 8 * u;
    SDL_SetRenderDrawBlendMode(ps.renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(ps.renderer, 0, 0, 0, 176);
    const SDL_Rect panel{x, y, w, h};
    SDL_RenderFillRect(ps.renderer, &panel);
    SDL_SetRenderDrawBlendMode(ps.renderer, SDL_BLENDMODE_NONE);
    const Uint8 ink = v.muted ? 128 : 255;
    SDL_SetRenderDrawColor(ps.renderer, ink, ink, ink, 255);
    char text[8];
    if (v.muted)
        std::snprintf(text, sizeof text, "muted");
    else
        std::snprintf(text, sizeof text, "%4d%%", volume_percent(v.level));
    drawtext(text, x + 3 * u, y + 3 * u, u);
    // The bar: a frame of 66 x 7, filled one unit per level.
    const SDL_Rect frame{x + 37 * u, y + 3 * u, 66 * u, 7 * u};
    for (int t = 0; t < u; t++) { // the frame as thick as the lettering
        const SDL_Rect inner{frame.x + t, frame.y + t, frame.w - 2 * t, frame.h - 2 * t};
        SDL_RenderDrawRect(ps.renderer, &inner);
    }
    const SDL_Rect fill{frame.x + u, frame.y + u, v.level * u, 5 * u};
    if (v.level > 0) SDL_RenderFillRect(ps.renderer, &fill);
}

// Shows the layer's last screen in the window, scaled to the output's size as it is at this moment, with
// the volume overlay while it lasts.
void drawwindow() {
    if (!ps.renderer || ps.last.empty()) return;
    if (!ps.texture || ps.texw != ps.lastw || ps.texh != ps.lasth) {
        if (ps.texture) SDL_DestroyTexture(ps.texture);
        ps.texture = SDL_CreateTexture(ps.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                       ps.lastw, ps.lasth);
        ps.texw = ps.lastw;
        ps.texh = ps.lasth;
    }
    SDL_UpdateTexture(ps.texture, nullptr, ps.last.data(), ps.lastw * 4);
    // The whole output, whatever size change the renderer has or has not been told of yet.
    SDL_RenderSetViewport(ps.renderer, nullptr);
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(ps.renderer, &ow, &oh); // pixels, also on high-DPI screens
    const SDL_Rect dst = desktop_placement(ow, oh, ps.lastw, ps.lasth);
    SDL_SetRenderDrawColor(ps.renderer, 0, 0, 0, 255);
    SDL_RenderClear(ps.renderer);
    SDL_RenderCopy(ps.renderer, ps.texture, nullptr, &dst);
    VolumeOverlay v;
    ps.overlaydrawn = volume_overlay(GetTickCount(), &v);
    if (ps.overlaydrawn) drawoverlay(dst, v);
    ps.overlaychanged = false;
    SDL_RenderPresent(ps.renderer);
}

// Window events only re-show the last screen: the show never hears of them, so nothing it drew since its
// last full frame (the menu's objects, a scrolled picture) is lost. A paint message goes to the show only
// when the layer has no screen of its own to show yet.
void windowevent(const SDL_WindowEvent &e) {
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        closewindow();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        if (windowgone()) break;
        if (ps.last.empty())
            post(MSG{nullptr, WM_PAINT, 0, 0});
        else
            drawwindow();
        break;
    default:
        break;
    }
}

void togglefullscreen() {
    if (!ps.window) return;
    desktop_setfullscreen(ps.window, !desktop_isfullscreen(ps.window));
    drawwindow();
}

// The keys the layer keeps for itself: Alt+Enter, F12 and the volume keys. True when key was one of them.
bool layerkey(SDL_Keycode k, Uint16 mod, bool repeat) {
    if ((k == SDLK_RETURN || k == SDLK_KP_ENTER) && (mod & KMOD_ALT)) {
        if (!repeat) togglefullscreen();
        return true;
    }
    if (k == SDLK_F12) {
        if (!repeat && !ps.last.empty())
            screenshot_write(ps.last.data(), ps.lastw, ps.lasth, platformoptions.screenshotdir);
        return true;
    }
    if (mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) return false;
    switch (k) {
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        volume_step(-VOLUME_STEP);
        ps.overlaychanged = true;
        return true;
    case SDLK_PLUS:
    case SDLK_EQUALS: // plus without shift on most layouts
    case SDLK_KP_PLUS:
        volume_step(VOLUME_STEP);
        ps.overlaychanged = true;
        return true;
    case SDLK_m:
        if (!repeat) volume_togglemute();
        ps.overlaychanged = true;
        return true;
    default:
        return false;
    }
}

// A scripted key that the layer keeps goes the way of the real key.
void scriptlayerkey(LayerKey k) {
    switch (k) {
    case LAYERKEY_SCREENSHOT:
        layerkey(SDLK_F12, KMOD_NONE, false);
        break;
    case LAYERKEY_VOLUMEDOWN:
        layerkey(SDLK_MINUS, KMOD_NONE, false);
        break;
    case LAYERKEY_VOLUMEUP:
        layerkey(SDLK_PLUS, KMOD_NONE, false);
        break;
    case LAYERKEY_MUTE:
        layerkey(SDLK_m, KMOD_NONE, false);
        break;
    }
}

void gatherevents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            closewindow();
            break;
        case SDL_WINDOWEVENT:
            windowevent(e.window);
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            // The renderer lost its texture; the layer still has the screen.
            if (e.type == SDL_RENDER_DEVICE_RESET) ps.texture = nullptr;
            if (!windowgone()) drawwindow();
            break;
        case SDL_KEYDOWN: {
            const SDL_Keycode k = e.key.keysym.sym;
            if (layerkey(k, e.key.keysym.mod, e.key.repeat)) break;
            if (!windowgone())
                post(MSG{nullptr, WM_KEYDOWN, WPARAM(vkfromsdl(k)), LPARAM(e.key.repeat ? 1 << 30 : 0)});
            break;
        }
        default:
            break;
        }
    }
    if (closesignals_taken()) closewindow(); // SIGTERM, SIGINT
    feedscript(GetTickCount(), scriptlayerkey);
}

} // namespace

bool platform_init(const PlatformOptions &o) {
    platformoptions = o;
    ps = PlatformState{};
    messages_reset();
    clearscript();
    ps.virtualclock = o.headless;
    if (o.headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    closesignals_catch();
    bool nodisplay = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0;
    const char *driver = nodisplay ? "" : SDL_GetCurrentVideoDriver();
    if (!o.headless && !o.dummywindow && !nodisplay && driver &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        SDL_Quit();
        SDL_SetError("SDL found only its '%s' video driver", driver);
        nodisplay = true;
    }
    if (nodisplay) {
        std::fprintf(stderr,
                     "%s: no display to show the show on (%s).\n"
                     "  Watch it headless and capture it instead, for example:\n"
                     "    showcase-fs --headless --keys tour.keys --capture show.mp4\n"
                     "  or run 'make capture' in the source folder.\n",
                     programname(), SDL_GetError());
        closesignals_release();
        return false;
    }
    if (!o.headless) SDL_InitSubSystem(SDL_INIT_AUDIO);
    ps.freq = SDL_GetPerformanceFrequency();
    ps.start = SDL_GetPerformanceCounter();
    ps.started = true;
    audio_setviewer(o.volume < 0 ? VOLUME_NORMAL : o.volume, o.mute);
    volume_hideoverlay();
    if (!o.keys.empty() && !loadscript(o.keys)) return false;
    if (!o.capture.empty() && !capture_start(o.capture, o.videowidth, o.videoheight)) return false;
    return true;
}

namespace {

// Vertical sync where the display offers it (no tearing); the 60 Hz pacer keeps the pace on faster
// displays, and is the only pace where presents do not wait. SDL_RENDER_VSYNC=0 turns it off.
void createrenderer() {
    ps.renderer = SDL_CreateRenderer(ps.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!ps.renderer) ps.renderer = SDL_CreateRenderer(ps.window, -1, SDL_RENDERER_ACCELERATED);
    if (!ps.renderer) ps.renderer = SDL_CreateRenderer(ps.window, -1, SDL_RENDERER_SOFTWARE);
}

} // namespace

HWND CreateShowWindow(const char *title, int width, int height, WNDPROC proc) {
    messages_setproc(proc);
    if (platformoptions.headless && !platformoptions.dummywindow) return &ps;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0"); // nearest neighbour: no blur
    // Made hidden and windowed: full screen is asked for once it is known whether a window manager will
    // answer (desktop_setfullscreen).
    const Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    // A comfortable integer multiple of the screen that fits the desktop.
    int k = 1;
    int ww = width, wh = height;
    SDL_DisplayMode dm;
    if (SDL_GetDesktopDisplayMode(0, &dm) == 0) {
        const int base = width < 640 ? 640 : width; // a 320-wide screen is shown at 640 and above too
        const int scale = base / width;
        k = scale;
        while ((k + scale) * width <= dm.w * 9 / 10 && (k + scale) * height <= dm.h * 9 / 10 &&
               k + scale <= 4 * scale)
            k += scale;
        ww = width * k;
        wh = height * k;
        // A larger frame than the desktop holds (--scale) opens a window that fits, the screen shown
        // smaller in it; full screen and a larger window show it whole.
        for (int d = 2; (ww > dm.w * 9 / 10 || wh > dm.h * 9 / 10) && d <= width; d++) {
            ww = width / d;
            wh = height / d;
        }
    }
    ps.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww, wh, flags);
    if (!ps.window) {
        std::fprintf(stderr, "%s: cannot open a window: %s\n", programname(), SDL_GetError());
        return nullptr;
    }
    SDL_SetWindowMinimumSize(ps.window, std::min(width / 2, 320), std::min(height / 2, 240));
    createrenderer();
    if (!platformoptions.window) desktop_setfullscreen(ps.window, true);
    SDL_ShowWindow(ps.window);
    return ps.window;
}

void ShowCursor(bool show) {
    if (ps.started && !platformoptions.headless) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool platform_shutdown() {
    const bool written = capture_finish();
    if (ps.texture) SDL_DestroyTexture(ps.texture);
    if (ps.renderer) SDL_DestroyRenderer(ps.renderer);
    if (ps.window) SDL_DestroyWindow(ps.window);
    ps.texture = nullptr;
    ps.renderer = nullptr;
    ps.window = nullptr;
    if (ps.started) SDL_Quit();
    ps.started = false;
    closesignals_release();
    return written;
}

long platform_shownframes() {
    return ps.shown;
}

bool platform_windowpixels(std::vector<uint32_t> &out, int *width, int *height) {
    if (!ps.renderer) return false;
    SDL_RenderSetViewport(ps.renderer, nullptr);
    if (SDL_GetRendererOutputSize(ps.renderer, width, height) != 0) return false;
    out.assign(size_t(*width) * *height, 0);
    if (SDL_RenderReadPixels(ps.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), *width * 4) != 0)
        return false;
    for (uint32_t &p : out) p &= 0x00FFFFFF;
    return true;
}

uint32_t GetTickCount() {
    if (ps.virtualclock) return ps.virtualmilliseconds();
    if (!ps.started) return SDL_GetTicks();
    return uint32_t(realseconds() * 1000.0);
}

bool PeekMessage(MSG *m) {
    if (ps.started) gatherevents();
    return messages_take(m);
}

namespace {

// One 60 Hz tick of shown screen: pacing, the window, the capture, the music in step, the frame limit.
void showtick(const uint32_t *pixels, int width, int height) {
    if (ps.virtualclock) {
        capture_frame(pixels, width, height);
        if (capture_active()) {
            static float audio[2 * AUDIO_RATE / 60];
            audio_renderstep(audio, AUDIO_RATE / 60);
            capture_audio(audio, AUDIO_RATE / 60);
        }
        // A capture that can no longer be written ends the run rather than render on for nothing.
        if (capture_failed()) closewindow();
    } else {
        const double at = ps.pacer.showtime(realseconds());
        sleepuntil(at);
        ps.pacer.shown(at);
        if (!windowgone()) drawwindow();
    }
    if (ps.ticked(platformoptions.frames)) closewindow();
}

} // namespace

void screen_show(const uint32_t *pixels, int width, int height) {
    ps.keep(pixels, width, height);
    showtick(ps.last.data(), width, height);
}

void screen_waittick() {
    if (ps.virtualclock || !ps.started) return;
    sleepuntil(double(currenttick() + 1) / TICKHZ);
}

void IdleMessage() {
    if (ps.virtualclock) {
        // The screen stays as it is for one more tick.
        ps.keepforidle();
        showtick(ps.last.data(), ps.lastw, ps.lasth);
        return;
    }
    if (!ps.started) return;
    // Nothing of the show changes on screen while it waits for a key: sleep until the window system has
    // something to say or the next scripted key is due. Only the volume overlay comes and goes meanwhile.
    VolumeOverlay v;
    const bool overlay = volume_overlay(GetTickCount(), &v);
    if (!windowgone() && (ps.overlaychanged || overlay != ps.overlaydrawn)) drawwindow();
    int wait = 1000;
    if (const long next = nextscriptkey(); next >= 0) {
        const long due = next - long(GetTickCount());
        wait = int(std::clamp(due, 0L, long(wait)));
    }
    if (overlay) wait = int(std::clamp(long(int32_t(v.until - GetTickCount())), 0L, long(wait)));
    SDL_WaitEventTimeout(nullptr, wait);
}
