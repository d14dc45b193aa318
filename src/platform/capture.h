// Inside the platform layer: writing what a headless run shows and plays.
#pragma once

#include <cstdint>
#include <string>

// PNG of 32-bit pixels (blue, green, red, unused) to path; false with a message on failure.
bool writepng(const std::string &path, const uint32_t *pixels, int width, int height);

// Starts a capture to dest: a video file (by its extension, through ffmpeg when installed) or a folder
// of numbered PNG frames and "audio.wav". Returns false with a message when it cannot be written.
bool capture_start(const std::string &dest);
void capture_frame(const uint32_t *pixels, int width, int height);
void capture_audio(const float *stereo, int frames);
void capture_finish();
bool capture_active();
