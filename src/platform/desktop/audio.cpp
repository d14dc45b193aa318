// The audio device: the music's renderer called from SDL's audio thread, or in step with the shown
// frames in virtual-clock runs, so that a capture's sound matches its pictures sample for sample.
#include <SDL.h>

#include "platform/platform.h"
#include "platform/program.h"
#include "platform/screen.h"

namespace {

AudioRender renderer = nullptr;
void *renderuser = nullptr;
SDL_AudioDeviceID device = 0;

void callback(void *, Uint8 *stream, int len) {
    float *out = reinterpret_cast<float *>(stream);
    const int frames = len / int(2 * sizeof(float));
    audio_renderstep(out, frames);
}

} // namespace

void audio_open(AudioRender render, void *user) {
    audio_close();
    renderer = render;
    renderuser = user;
    if (platformoptions.headless || !SDL_WasInit(SDL_INIT_AUDIO)) return;
    SDL_AudioSpec want{}, have{};
    want.freq = AUDIO_RATE;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = callback;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_Log("%s: no sound device (%s); the show runs silent", programname(), SDL_GetError());
        return;
    }
    SDL_PauseAudioDevice(device, 0);
}

void audio_close() {
    if (device) {
        SDL_CloseAudioDevice(device); // waits for the callback to finish
        device = 0;
    }
    renderer = nullptr;
    renderuser = nullptr;
}

// Renders the next frames of sound on the caller's thread (virtual-clock runs); silence without music.
// The viewer's level is applied here, after the show's own volume.
void audio_renderstep(float *out, int frames) {
    if (renderer) {
        renderer(out, frames, renderuser);
        const float gain = audio_viewergain();
        if (gain != 1.0f)
            for (int i = 0; i < frames * 2; i++) out[i] *= gain;
    } else {
        for (int i = 0; i < frames * 2; i++) out[i] = 0.0f;
    }
}
