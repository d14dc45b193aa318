// The fractal leaves behind the credits and greetings: three drifting three-way branching trees plotted
// as white dots into a particle buffer that fades a little every frame; the frame shown is the picture
// multiplied by that buffer.
#include <cmath>

#include "display/display.h"
#include "effects/effects.h"
#include "effects/leaves.h"
#include "effects/packed.h"

float x[6], xd[6], xdd[6], xddd[6], sx[6];
int blurfac;
int plotpixel5[4][4] = {{0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
                        {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
                        {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
                        {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF}};

namespace {
constexpr int HIW = 640; // pixels a row of the particle buffer, the picture and the screen
constexpr int HIH = 480;
constexpr int HIBYTES = HIW * HIH * 4;

// The runtime's classic generator, so that a run draws the same leaves on every platform.
uint32_t randnext = 1;
} // namespace

int showrand() {
    randnext = randnext * 1103515245u + 12345u;
    return static_cast<int>((randnext / 65536u) % 32768u);
}

void setshowrandstate(uint32_t next) {
    randnext = next;
}

void initleaves() {
    const float scale = 1.0f / 32767.0f;
    for (int i = 0; i < 6; ++i) {
        x[i] = static_cast<float>(showrand()) * scale;
        xd[i] = static_cast<float>((static_cast<float>(showrand()) * scale - 0.5) * 0.05);
        xdd[i] = static_cast<float>((static_cast<float>(showrand()) * scale - 0.5) * 0.05);
        xddd[i] = static_cast<float>((static_cast<float>(showrand()) * scale - 0.5) * 0.05);
    }
}

void moveleaves() {
    for (int i = 0; i < 6; ++i) {
        x[i] = static_cast<float>(x[i] + std::sin(static_cast<double>(xd[i])));
        xd[i] = static_cast<float>(xd[i] + 0.02 * std::sin(static_cast<double>(xdd[i])));
        xdd[i] = xdd[i] + xddd[i];
    }
}

void genfractal(float x, float y, float angle, float length, int depth, int type, int *buffer) {
    for (;;) {
        x = static_cast<float>(x + std::sin(static_cast<double>(angle)) * length);
        y = static_cast<float>(y + std::cos(static_cast<double>(angle)) * length);
        if (depth <= 0) { // a negative depth is an end point too, not an endless descent
            // The bounds keep the whole 4 x 4 dot inside the 640 x 480 buffer.
            if (y >= 3.0f && y <= 475.0f && x >= 3.0f && x <= 635.0f && type >= 1 && type <= 3) {
                int *at = buffer + static_cast<int>(y) * HIW + static_cast<int>(x);
                plot(reinterpret_cast<uint32_t *>(at), reinterpret_cast<const uint32_t *>(&plotpixel5[0][0]));
            }
            return;
        }
        --depth;
        genfractal(x, y, angle + sx[0], length * sx[3], depth, type, buffer);
        genfractal(x, y, angle + sx[1], length * sx[4], depth, type, buffer);
        angle = angle + sx[2];
        length = length * sx[5];
    }
}

int leafblur(int frame) {
    const float c = 1.0f / 30.0f;
    return static_cast<int>(std::fabs(std::sin(static_cast<double>(static_cast<float>(frame) * c)) * 20.0));
}

void drawleaves(unsigned char *particles, unsigned char *screen, const unsigned char *picture, int frame) {
    for (int i = 0; i < 3; ++i) {
        sx[i] = static_cast<float>(std::sin(x[i] * 0.01) * 6.283);
        sx[i + 3] = static_cast<float>(std::sin(x[i + 3] * 0.01));
    }
    const float c = 1.0f / 30.0f;
    blurfac =
        static_cast<int>(std::fabs(std::sin(static_cast<double>(static_cast<float>(frame) * c)) * 20.0));
    if (frame != 0) motionblur(particles, static_cast<uint32_t>(blurfac) * 0x010101u);
    for (int k = 0; k < 3; ++k) {
        const float angle = static_cast<float>(std::sin(x[k] * 0.01) * 6.283);
        const float length = static_cast<float>((std::sin(x[k + 3] * 0.1) + 2.0) * 40.0);
        genfractal(320.0f, 200.0f, angle, length, 6, k + 1, reinterpret_cast<int *>(particles));
    }
    if (frame != 0) plotpic(particles, screen, picture);
}

void play(unsigned char *particles, unsigned char *screen, const unsigned char *picture, int frame) {
    moveleaves();
    drawleaves(particles, screen, picture, frame);
}

void plotpic(unsigned char *particles, unsigned char *screen, const unsigned char *picture) {
    mergepicandparticles(particles, screen, picture);
    blittoscreen(screen);
}

namespace plain {

void plot(uint32_t *dest, const uint32_t *sprite) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) dest[r * HIW + c] = packed::addsat(dest[r * HIW + c], sprite[r * 4 + c]);
}

void motionblur(unsigned char *buffer, uint32_t amount) {
    for (int i = 0; i < HIBYTES; i += 4)
        packed::storepixel(buffer + i, packed::subsat(packed::loadpixel(buffer + i), amount));
}

void mergepicandparticles(const unsigned char *particles, unsigned char *dest, const unsigned char *picture) {
    for (int i = 0; i < HIBYTES; ++i) dest[i] = static_cast<unsigned char>((picture[i] * particles[i]) >> 8);
}

} // namespace plain

#if SHOWCASE_SSE2

void plot(uint32_t *dest, const uint32_t *sprite) {
    for (int r = 0; r < 4; ++r) {
        auto *d = reinterpret_cast<unsigned char *>(dest + r * HIW);
        auto *s = reinterpret_cast<const unsigned char *>(sprite + r * 4);
        packed::store4(d, _mm_adds_epu8(packed::load4(d), packed::load4(s)));
    }
}

void motionblur(unsigned char *buffer, uint32_t amount) {
    const __m128i a = _mm_set1_epi32(static_cast<int>(amount));
    for (int i = 0; i < HIBYTES; i += 16)
        packed::store4(buffer + i, _mm_subs_epu8(packed::load4(buffer + i), a));
}

void mergepicandparticles(const unsigned char *particles, unsigned char *dest, const unsigned char *picture) {
    for (int i = 0; i < HIBYTES; i += 16)
        packed::store4(dest + i, packed::mulscale4(packed::load4(picture + i), packed::load4(particles + i)));
}

#else

void plot(uint32_t *dest, const uint32_t *sprite) {
    plain::plot(dest, sprite);
}
void motionblur(unsigned char *buffer, uint32_t amount) {
    plain::motionblur(buffer, amount);
}
void mergepicandparticles(const unsigned char *particles, unsigned char *dest, const unsigned char *picture) {
    plain::mergepicandparticles(particles, dest, picture);
}

#endif
