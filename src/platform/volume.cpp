// The viewer's own volume: a level on the player's scale (0 silence .. 64, 40 the show's own level) and
// mute, heard on top of whatever volume the show sets, so the exit's fade goes from the viewer's level to
// silence. Read by the audio thread, set by the main thread. After each change the window shows the level
// over the picture for a moment.
#include <atomic>
#include <cstdio>

#include "platform/platform.h"
#include "platform/program.h"
#include "platform/screen.h"

namespace {

std::atomic<int> viewerlevel{VOLUME_NORMAL};
std::atomic<bool> muted{false};

// How long the level stays over the picture after a volume key, on the show's clock.
constexpr uint32_t OVERLAYMS = 1500;
bool overlayon = false;
uint32_t overlayuntil = 0;

void say() {
    overlayon = true;
    overlayuntil = GetTickCount() + OVERLAYMS;
    if (muted)
        std::printf("%s: sound muted (M again to hear it)\n", programname());
    else
        std::printf("%s: volume %d%%\n", programname(), volume_percent(viewerlevel));
    std::fflush(stdout);
}

} // namespace

int volume_frompercent(int percent) {
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    return (percent * VOLUME_FULL + 50) / 100;
}

int volume_percent(int level) {
    return (level * 100 + VOLUME_FULL / 2) / VOLUME_FULL;
}

void audio_setviewer(int level, bool mute) {
    viewerlevel = level < 0 ? 0 : level > VOLUME_FULL ? VOLUME_FULL : level;
    muted = mute;
}

int audio_viewerlevel() {
    return viewerlevel;
}

bool audio_muted() {
    return muted;
}

float audio_viewergain() {
    return muted ? 0.0f : float(viewerlevel.load()) / float(VOLUME_NORMAL);
}

void volume_step(int delta) {
    audio_setviewer(viewerlevel + delta, false);
    say();
}

void volume_togglemute() {
    muted = !muted;
    say();
}

bool volume_overlay(uint32_t now, VolumeOverlay *out) {
    // Ticks as a difference: the millisecond clock wraps after 49 days.
    if (!overlayon || int32_t(overlayuntil - now) <= 0) return false;
    if (out) *out = VolumeOverlay{viewerlevel, muted, overlayuntil};
    return true;
}

void volume_hideoverlay() {
    overlayon = false;
}
