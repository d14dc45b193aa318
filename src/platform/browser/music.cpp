// The module behind the whole show, in the browser: the page plays it with libopenmpt compiled to
// WebAssembly in an audio worklet. The show's side is the same as on the desktop: loaded at start-up,
// looped from playmodule on, its volume on the scale 0 (silence) to 64 with 40 the normal level, released
// once.
#include <emscripten.h>

#include <cstdio>
#include <vector>

#include "platform/music.h"
#include "platform/paths.h"
#include "platform/program.h"

EM_JS(void, page_musicplay, (const unsigned char *data, int size),
      { Module.page.musicplay(HEAPU8.slice(data, data + size).buffer); });
EM_JS(void, page_musicvolume, (int volume), { Module.page.musicvolume(volume); });
EM_JS(void, page_musicstop, (), { Module.page.musicstop(); });
// Browsers start sound only after the viewer's click or key: the page's start screen waits for it.
EM_ASYNC_JS(void, page_waitforstart, (), { await Module.page.waitforstart(); });

namespace {

std::vector<unsigned char> module;
int volume = 40;
bool playing = false;

} // namespace

void initmidas() {
    const std::string path = translatepath(".\\music\\velun.xm");
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "%s: %s: cannot open the music module; the show runs without music\n",
                     programname(), path.c_str());
        return;
    }
    module.clear();
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) module.insert(module.end(), buf, buf + n);
    std::fclose(f);
}

// Everything is loaded and set up when the music starts, and the intro follows at once: this is where the
// show waits for the viewer, so that the intro starts from the viewer's click.
void playmodule() {
    page_waitforstart();
    if (module.empty()) return;
    volume = 40;
    playing = true;
    page_musicvolume(volume);
    page_musicplay(module.data(), int(module.size()));
}

void setmusicvolume(int v) {
    volume = v < 0 ? 0 : v > 64 ? 64 : v;
    if (playing) page_musicvolume(volume);
}

void pollmusic() {
    // The worklet renders on the audio thread; there is nothing to poll.
}

void stopmidas() {
    if (playing) {
        setmusicvolume(0);
        page_musicstop();
        playing = false;
    }
    module.clear();
}

bool musicloaded() {
    return !module.empty();
}
bool musicplaying() {
    return playing;
}
