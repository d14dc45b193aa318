// Inside the platform layer: showing the primary surface and pacing it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What each platform's window keeps of the shown screen, and the virtual clock of headless runs, which
// advances one 60 Hz tick per shown screen.
struct ShownScreen {
    bool virtualclock = false;
    long virtualticks = 0;
    long shown = 0; // shown ticks, on either clock
    // The last shown screen, for repaints and for the idle ticks of a virtual-clock run.
    std::vector<uint32_t> last;
    int lastw = 0, lasth = 0;
    bool limitposted = false;

    void keep(const uint32_t *pixels, int width, int height);
    // An idle tick shows the last screen again; black 640 x 480 before the first.
    void keepforidle();
    uint32_t virtualmilliseconds() const { return uint32_t(virtualticks * 1000 / 60); }
    // Counts a shown tick and moves the virtual clock on. True once, when `limit` ticks (negative: no limit)
    // have been shown: the window is then closed.
    bool ticked(long limit);
};

// Shows a screen of pixels (the primary surface) in the window, at most once per 60 Hz tick; in a
// virtual-clock run it is captured and the clock advances one tick.
void screen_show(const uint32_t *pixels, int width, int height);
// Waits for the start of the next 60 Hz tick (the vertical blank); nothing in a virtual-clock run.
void screen_waittick();
// Renders the next frames of the music on the caller's thread (virtual-clock runs).
void audio_renderstep(float *out, int frames);

// The volume keys, which the layer keeps for itself: minus and plus step the viewer's level by `delta`
// levels, M mutes and unmutes. Each says the new level on standard output.
void volume_step(int delta);
void volume_togglemute();
// The level as the desktop window shows it over the picture after a volume key, for 1.5 s on the show's
// clock; never part of the show's frames, screenshots or captures. False when nothing is to be shown at
// `now` (GetTickCount).
struct VolumeOverlay {
    int level; // 0 .. VOLUME_FULL
    bool muted;
    uint32_t until; // when it goes
};
bool volume_overlay(uint32_t now, VolumeOverlay *out = nullptr);
void volume_hideoverlay(); // a new run starts without it

// F12: writes the screen as showcase-NNNN.png in `folder` (empty: the user's pictures folder), falling back
// to the pictures folder and then the temporary folder when it cannot be written there. Prints the file's
// name on standard output and returns it; empty when nothing could be written (with a message).
std::string screenshot_write(const uint32_t *pixels, int width, int height, const std::string &folder);
// The user's pictures folder: XDG_PICTURES_DIR of user-dirs.dirs, else ~/Pictures.
std::string picturesfolder();
