// Inside the platform layer: the message queue and the key script, the same on every platform.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// A new run: an empty queue, no window procedure, the window open.
void messages_reset();
void messages_setproc(WNDPROC proc);
// Adds a message at the end of the queue.
void post(const MSG &m);
// Removes the oldest message; false when the queue is empty.
bool messages_take(MSG *m);
// The window's close request becomes the destroy message, once.
void closewindow();
bool windowgone();

// A new run without a key script.
void clearscript();
// Reads a key script; false, with a message naming the file and the line, when it cannot be used.
bool loadscript(const std::string &path);
// Keys a script can press that the layer keeps for itself: they never reach the show.
enum LayerKey : int {
    LAYERKEY_SCREENSHOT = 1,
    LAYERKEY_VOLUMEDOWN,
    LAYERKEY_VOLUMEUP,
    LAYERKEY_MUTE,
};
// Posts the scripted keys whose time has come by now (milliseconds of the show's clock); the layer's own
// keys go to layerkey (dropped when it is null).
void feedscript(uint32_t now, void (*layerkey)(LayerKey));
// The time of the next scripted key (milliseconds of the show's clock), or -1 when none is left.
long nextscriptkey();
