// The module behind the whole show: loaded at start-up, looped from playmodule on, its volume on the
// scale 0 (silence) to 64 with 40 the normal level, released once.
#include <libopenmpt/libopenmpt.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/music.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/program.h"

namespace {

openmpt_module *module = nullptr;
std::atomic<int> volume{40};
bool playing = false;

void render(float *out, int frames, void *) {
    int done = 0;
    if (module)
        done = int(openmpt_module_read_interleaved_float_stereo(module, AUDIO_RATE, size_t(frames), out));
    const float gain = float(volume.load()) / 64.0f;
    for (int i = 0; i < done * 2; i++) out[i] *= gain;
    for (int i = done * 2; i < frames * 2; i++) out[i] = 0.0f;
}

} // namespace

void initmidas() {
    const char *name = ".\\music\\velun.xm";
    const std::string path = translatepath(name);
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "%s: %s: cannot open the music module; the show runs without music\n",
                     programname(), path.c_str());
        return;
    }
    std::vector<char> data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    int error = 0;
    module = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                                nullptr, nullptr, &error, nullptr, nullptr);
    if (!module) {
        std::fprintf(stderr, "%s: %s: not a module libopenmpt can play; the show runs without music\n",
                     programname(), path.c_str());
        return;
    }
}

void playmodule() {
    if (!module) return;
    openmpt_module_set_repeat_count(module, -1); // loop for ever
    volume = 40;
    playing = true;
    audio_open(render, nullptr);
}

void setmusicvolume(int v) {
    volume = v < 0 ? 0 : v > 64 ? 64 : v;
}

void pollmusic() {
    // The player renders on the audio thread; there is nothing to poll.
}

void stopmidas() {
    if (playing) {
        setmusicvolume(0);
        audio_close(); // waits for the audio thread to leave the module
        playing = false;
    }
    if (module) {
        openmpt_module_destroy(module);
        module = nullptr;
    }
}

// For tests and the capture: is a module loaded, is it playing.
bool musicloaded() {
    return module != nullptr;
}
bool musicplaying() {
    return playing;
}
