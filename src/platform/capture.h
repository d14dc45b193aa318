// Inside the platform layer: writing what a headless run shows and plays.
#pragma once

#include <cstdint>
#include <string>

// PNG of 32-bit pixels (blue, green, red, unused) to path at zlib level `level`. False on failure, with
// the reason in *why, or as a message on standard error when why is null.
bool writepng(const std::string &path, const uint32_t *pixels, int width, int height, int level = 1,
              std::string *why = nullptr);

// The checksum of a frame: what a ".sums" capture writes, one line a frame, and what the browser's test
// mode hands to the page.
uint32_t framesum(const uint32_t *pixels, int width, int height);

// The size the sound's WAV header states for `frames` stereo 16-bit frames. Past what its 32 bits hold
// (about 6 hours at 48 kHz) it states WAV_UNSIZED, which readers such as ffmpeg take as "to the end of the
// file", instead of a wrapped size that would cut the sound short.
constexpr uint32_t WAV_UNSIZED = 0xFFFFFFFF;
uint32_t wavdatasize(long frames);

// The names a capture understands: a video file by its ending in any case (see capture_formats), a ".sums"
// file of frame checksums, else a folder of numbered PNG frames and "audio.wav". Other media names are
// refused.
struct CaptureFormat {
    const char *ending; // ".mp4", ".lossless.mkv", ...
    const char *what;   // for --help and the README
    const char *video;  // ffmpeg's video encoder options
    const char *audio;  // ffmpeg's audio encoder options
    const char *parts;  // the container of the video before the sound joins it
};
// The table, ended by an entry with a null ending.
const CaptureFormat *capture_formats();
// The format a destination name selects, or null for a PNG folder.
const CaptureFormat *capture_formatof(const std::string &dest);

// Starts a capture to dest. Returns false with a message when the name is refused or the place cannot be
// written; a folder may be new, empty or a previous capture's, whose files it replaces. Frames are encoded
// off the calling thread; the files are the same whatever the timing. A video is written at videowidth x
// videoheight, every screen scaled to that size; PNG frames and checksums keep each screen's own size.
bool capture_start(const std::string &dest, int videowidth = 640, int videoheight = 480);
void capture_frame(const uint32_t *pixels, int width, int height);
void capture_audio(const float *stereo, int frames);
// True once writing has failed (the message is given once, at capture_finish); the run should end.
bool capture_failed();
// Finishes the files. False when the capture failed: its partial output is removed and a one-line message
// names the file and the reason.
bool capture_finish();
bool capture_active();
