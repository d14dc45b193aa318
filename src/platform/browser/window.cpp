// The browser: the window is the page's canvas, keys come from the page, frames are paced by the display's
// animation frames at 60 Hz at most, and the show's nested loops hand the browser its event loop back
// whenever they show a frame or wait (Asyncify). The page itself is web/page.js; the calls into it are
// the Module.page functions below. A test mode runs on the virtual 60 Hz clock and tells the page of every
// shown frame; capturing, it hands the page each frame's checksum instead of writing the frame.
#include <emscripten.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/capture.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/screen.h"

PlatformOptions platformoptions;

// --- the page ---

// Milliseconds of the page's monotonic clock.
EM_JS(double, page_now, (), { return performance.now(); });
// Waits for the display's next frame and returns its time (the page keeps time when it is hidden).
EM_ASYNC_JS(double, page_nextframe, (), { return await Module.page.nextframe(); });
// Hands the browser its event loop for a moment, without waiting for a frame.
EM_ASYNC_JS(void, page_yield, (), { await Module.page.yield(); });
// Shows width x height pixels of red, green, blue and alpha bytes on the canvas.
EM_JS(void, page_draw, (const unsigned char *rgba, int width, int height),
      { Module.page.draw(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height); });
// The next key the page has seen: 0 none, -1 a close request, else the virtual-key code, plus 0x10000 for
// an auto-repeat.
EM_JS(int, page_takekey, (), { return Module.page.takekey(); });
EM_JS(void, page_showcursor, (int show), { Module.page.showcursor(show != 0); });
// Test mode: hands the page a shown frame's checksum; the page answers 1 when it wants the event loop now
// (a test holding the run at this frame).
EM_JS(int, page_framesum, (unsigned sum), { return Module.page.framesum(sum >>> 0); });
EM_JS(void, page_ended, (), { Module.page.ended(); });

namespace {

constexpr double TICKMS = 1000.0 / 60.0;

struct WebState : ShownScreen {
    bool started = false;
    double start = 0; // the clock's zero in page milliseconds: half a tick before an animation frame
    double lastyield = 0;
    long lastshowntick = -1;
    std::vector<unsigned char> rgba;
};
WebState ws;

long tickat(double ms) {
    return long(std::floor((ms - ws.start) / TICKMS));
}

long currenttick() {
    return ws.virtualclock ? ws.virtualticks : tickat(page_now());
}

// The animation frames are half a tick away from the tick boundaries, so their small jitter never makes a
// tick of the display's 60 Hz count twice or not at all.
void sleepuntiltick(long tick) {
    while (tickat(page_nextframe()) < tick) {
    }
}

void drawcanvas() {
    if (ws.last.empty()) return;
    const size_t n = ws.last.size();
    ws.rgba.resize(n * 4);
    for (size_t i = 0; i < n; i++) {
        const uint32_t p = ws.last[i];
        ws.rgba[i * 4 + 0] = uint8_t(p >> 16);
        ws.rgba[i * 4 + 1] = uint8_t(p >> 8);
        ws.rgba[i * 4 + 2] = uint8_t(p);
        ws.rgba[i * 4 + 3] = 255;
    }
    page_draw(ws.rgba.data(), ws.lastw, ws.lasth);
}

void gatherevents() {
    for (int k; (k = page_takekey()) != 0;) {
        if (k < 0) {
            closewindow();
        } else if (!windowgone()) {
            post(MSG{nullptr, WM_KEYDOWN, WPARAM(k & 0xFFFF), LPARAM(k & 0x10000 ? 1 << 30 : 0)});
        }
    }
    feedscript(GetTickCount(), nullptr);
}

// A virtual-clock run keeps the page alive: every few dozen milliseconds it shows where it is and lets the
// browser run.
void virtualyield(bool asked) {
    const double now = page_now();
    if (now - ws.lastyield < 30.0 && !asked) return;
    drawcanvas();
    page_yield();
    ws.lastyield = page_now();
}

// One 60 Hz tick of shown screen: pacing, the canvas or the checksum, the frame limit.
void showtick(const uint32_t *pixels, int width, int height) {
    if (ws.virtualclock) {
        virtualyield(page_framesum(platformoptions.capture.empty() ? 0 : framesum(pixels, width, height)) !=
                     0);
    } else {
        long tick = currenttick();
        if (tick <= ws.lastshowntick) {
            sleepuntiltick(ws.lastshowntick + 1);
            tick = ws.lastshowntick + 1;
        } else {
            page_yield(); // a late frame still lets the page run
        }
        ws.lastshowntick = tick;
        if (!windowgone()) drawcanvas();
    }
    if (ws.ticked(platformoptions.frames)) closewindow();
}

} // namespace

bool platform_init(const PlatformOptions &o) {
    platformoptions = o;
    ws = WebState{};
    messages_reset();
    clearscript();
    ws.virtualclock = o.headless;
    if (!o.keys.empty() && !loadscript(o.keys)) return false;
    ws.started = true;
    ws.lastyield = page_now();
    if (!ws.virtualclock) ws.start = page_nextframe() - TICKMS / 2;
    return true;
}

HWND CreateShowWindow(const char *, int, int, WNDPROC proc) {
    messages_setproc(proc);
    return &ws;
}

void ShowCursor(bool show) {
    if (ws.started) page_showcursor(show);
}

bool platform_shutdown() {
    if (ws.started) page_ended();
    ws.started = false;
    return true; // nothing is written that could fail
}

long platform_shownframes() {
    return ws.shown;
}

uint32_t GetTickCount() {
    if (ws.virtualclock) return ws.virtualmilliseconds();
    return uint32_t(page_now() - ws.start);
}

bool PeekMessage(MSG *m) {
    if (ws.started) gatherevents();
    return messages_take(m);
}

void screen_show(const uint32_t *pixels, int width, int height) {
    ws.keep(pixels, width, height);
    showtick(ws.last.data(), width, height);
}

void screen_waittick() {
    if (ws.virtualclock || !ws.started) return;
    sleepuntiltick(currenttick() + 1);
}

void IdleMessage() {
    if (ws.virtualclock) {
        // The screen stays as it is for one more tick.
        ws.keepforidle();
        showtick(ws.last.data(), ws.lastw, ws.lasth);
        return;
    }
    if (!ws.started) return;
    page_nextframe();
}

// The browser writes no captures: its test mode hands the frames' checksums to the page instead.
const CaptureFormat *capture_formats() {
    static const CaptureFormat none[1] = {};
    return none;
}
