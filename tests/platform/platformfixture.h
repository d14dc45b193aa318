// The platform layer started for a test: headless or in a dummy window, with keys pushed as SDL events and
// the messages that reach the show drained; closed again after each test.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/messages.h"
#include "platform/platform.h"

inline void pushkey(SDL_Keycode key, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    SDL_PushEvent(&e);
}

// What reached the show, in order: a key as its virtual-key code, any other message as its own number.
inline std::vector<unsigned> drain() {
    std::vector<unsigned> got;
    MSG m;
    while (PeekMessage(&m)) got.push_back(m.message == WM_KEYDOWN ? unsigned(m.wParam) : m.message);
    return got;
}

class Platform : public ::testing::Test {
  protected:
    void start(PlatformOptions o = {}) {
        o.headless = !o.window;
        ASSERT_TRUE(platform_init(o));
        drain();
    }
    void TearDown() override { platform_shutdown(); }
};
