// Inside the platform layer: showing the primary surface and pacing it.
#pragma once

#include <cstdint>

// Shows a screen of pixels (the primary surface) in the window, at most once per 60 Hz tick; in a
// virtual-clock run it is captured and the clock advances one tick.
void screen_show(const uint32_t *pixels, int width, int height);
// Waits for the start of the next 60 Hz tick (the vertical blank); nothing in a virtual-clock run.
void screen_waittick();
// Renders the next frames of the music on the caller's thread (virtual-clock runs).
void audio_renderstep(float *out, int frames);
