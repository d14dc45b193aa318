// The texture maps of the two scenes: 256 x 256, seamless where a surface repeats them.
#include "makers.h"
#include "text.h"

namespace mkdata {

namespace {

constexpr int N = 256;

// Tiling noise helpers: the lattice repeats every `cells` cells across the 256 texels.
float tfbm(int x, int y, int cells, int octaves, uint32_t seed) {
    const float k = static_cast<float>(cells) / static_cast<float>(N);
    return fbm(static_cast<float>(x) * k, static_cast<float>(y) * k, octaves, seed, cells);
}
float tridged(int x, int y, int cells, int octaves, uint32_t seed) {
    const float k = static_cast<float>(cells) / static_cast<float>(N);
    return ridged(static_cast<float>(x) * k, static_cast<float>(y) * k, octaves, seed, cells);
}

template <class Fn> Image make(Fn &&fn) {
    Image img(N, N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) img.at(x, y) = fn(x, y);
    return img;
}

Image rock() {
    return make([](int x, int y) {
        const float r = tridged(x, y, 4, 7, 11);
        const float n = tfbm(x, y, 8, 5, 12);
        Rgb c = mix(hex(0x3a3028), hex(0x9a8a70), clamp01(r * 1.1f));
        c = mix(c, hex(0x5a6a48), clamp01(n * 2.0f - 0.3f) * 0.35f); // moss in the hollows
        return c * (0.8f + 0.4f * clamp01(0.5f + n));
    });
}

Image marble() {
    // Four by four polished tiles with veins, light and dark in a chequer.
    return make([](int x, int y) {
        const float n = tfbm(x, y, 4, 6, 21);
        const float vein =
            std::fabs(std::sin((static_cast<float>(x + y) / N * 6.2831853f * 2.0f) + n * 6.0f));
        const bool dark = ((x / 64) + (y / 64)) % 2 != 0;
        Rgb base = dark ? hex(0x2a3a4a) : hex(0xe8e2d8);
        Rgb veinc = dark ? hex(0x8aa0b8) : hex(0x8a8070);
        Rgb c = mix(veinc, base, smoothstep(0.0f, 0.25f, vein));
        const int gx = x % 64, gy = y % 64;
        if (gx < 2 || gy < 2)
            c = hex(0x1a1410);
        else if (gx < 4 || gy < 4)
            c = c * 1.15f;
        return c;
    });
}

Image metal() {
    // Brushed plates with seams and rivets.
    Image img = make([](int x, int y) {
        const float brush = tfbm(x, y * 16 % N, 64, 3, 31) * 0.5f + tfbm(x, y, 8, 4, 32) * 0.5f;
        Rgb c = hex(0x7a8088) * (0.85f + 0.3f * brush);
        const int gx = x % 128, gy = y % 128;
        if (gx < 2 || gy < 2)
            c = hex(0x202428);
        else if (gx < 4 || gy < 4)
            c = hex(0xb8c0c8);
        return c;
    });
    for (int py = 0; py < 2; ++py)
        for (int px = 0; px < 2; ++px)
            for (int i = 0; i < 4; ++i) {
                const float cx = static_cast<float>(px * 128 + (i % 2 ? 116 : 12));
                const float cy = static_cast<float>(py * 128 + (i / 2 ? 116 : 12));
                fillcircle(img, cx + 1, cy + 1, 4, hex(0x202020), 0.7f);
                fillcircle(img, cx, cy, 4, hex(0xa8b0b8));
                fillcircle(img, cx - 1, cy - 1, 1.5f, hex(0xffffff), 0.8f);
            }
    return img;
}

Image wood() {
    // Four planks with rings and grain.
    return make([](int x, int y) {
        const int plank = x / 64;
        const float fx = static_cast<float>(x % 64) / 64.0f;
        const float n = tfbm(x, y, 4, 4, 41 + static_cast<uint32_t>(plank));
        const float rings = std::sin((fx * 3.0f + n * 2.5f + static_cast<float>(plank)) * 9.0f);
        const float grain = tfbm(x * 8 % N, y, 32, 3, 43);
        Rgb c = mix(hex(0x5a3018), hex(0xa86a38), 0.5f + 0.35f * rings + 0.15f * grain);
        c = c * (0.85f + 0.1f * static_cast<float>(plank % 2));
        if (x % 64 < 2) c = hex(0x2a140a);
        return c;
    });
}

Image glass() {
    return make([](int x, int y) {
        const float n = tfbm(x, y, 4, 5, 51);
        const float streak =
            std::pow(std::fabs(std::sin((static_cast<float>(x) / N + n * 0.3f) * 6.2831853f * 3.0f)), 12.0f);
        return mix(hex(0x1a4a6a), hex(0x80c8f0), clamp01(0.4f + n)) + hex(0xffffff) * (streak * 0.5f);
    });
}

Image sky() {
    // An environment map of sky and horizon. Faces take the texel row (1 + normal.y) * 127: a normal
    // pointing up reads the bottom rows, so the sky is drawn at the bottom and the ground at the top.
    return make([](int x, int y) {
        const float fy = static_cast<float>(y) / (N - 1);
        const float fx = static_cast<float>(x) / (N - 1);
        const float cloud = tfbm(x, y, 4, 5, 61);
        if (fy > 0.5f) {
            const float up = (fy - 0.5f) * 2.0f;
            Rgb c = mix(hex(0xf8d8b0), hex(0x2a5aa8), std::sqrt(up));
            c = mix(c, hex(0xffffff), clamp01(cloud * 2.0f) * (1.0f - up) * 0.8f);
            const float d = std::hypot(fx - 0.7f, fy - 0.72f);
            return c + hex(0xfff0c0) * std::exp(-d * d * 120.0f);
        }
        const float down = (0.5f - fy) * 2.0f;
        Rgb c = mix(hex(0x6a7080), hex(0x0a1a20), std::sqrt(down));
        return c * (0.85f + 0.3f * cloud);
    });
}

Image gold() {
    // A warm environment map: the look of polished gold.
    return make([](int x, int y) {
        const float fx = static_cast<float>(x) / 128.0f - 1.0f, fy = static_cast<float>(y) / 128.0f - 1.0f;
        const float r = std::hypot(fx, fy);
        const float n = tfbm(x, y, 4, 4, 71);
        Rgb c = mix(hex(0xfff0b0), hex(0x7a4a08), clamp01(r * 0.9f + n * 0.3f));
        const float spot = std::exp(-(std::pow(fx + 0.35f, 2.0f) + std::pow(fy - 0.4f, 2.0f)) * 18.0f);
        return c + Rgb{1, 1, 1} * spot;
    });
}

Image energy() {
    return make([](int x, int y) {
        const float a = tfbm(x, y, 4, 5, 81), b = tfbm(x, y, 8, 4, 82);
        const float f = std::fabs(std::sin((a + b * 0.5f) * 12.0f));
        return mix(hex(0x200840), hex(0xff60e0), std::pow(1.0f - f, 3.0f)) +
               hex(0x40c0ff) * (clamp01(b) * 0.4f);
    });
}

Image mosaic() {
    // Small glazed tiles in warm and cool colours.
    return make([](int x, int y) {
        const int tx = x / 16, ty = y / 16;
        Random r(static_cast<uint64_t>(ty * 16 + tx) + 91);
        const Rgb colours[5] = {hex(0xc04020), hex(0xe0a030), hex(0x2070a0), hex(0x208070), hex(0xe0d8c0)};
        Rgb c = colours[r.below(5)] * r.range(0.75f, 1.1f);
        const int gx = x % 16, gy = y % 16;
        if (gx == 0 || gy == 0) c = hex(0x302820);
        c = c * (0.9f + 0.15f * tfbm(x, y, 16, 3, 92));
        return c;
    });
}

Image nebula() {
    // The sky of the intro world: dark, with gas clouds and stars; it repeats around the dome.
    Image img = make([](int x, int y) {
        const float a = tfbm(x, y, 4, 6, 101), b = tfbm(x, y, 4, 5, 102);
        Rgb c = hex(0x020208) + hex(0x5a1a6a) * clamp01(a * 1.8f) * 0.7f +
                hex(0x10407a) * clamp01(b * 1.8f) * 0.6f;
        return c;
    });
    Random r(103);
    for (int i = 0; i < 220; ++i) {
        const int x = r.below(N), y = r.below(N);
        const float b = r.uniform();
        img.add(x, y, Rgb{0.9f, 0.9f, 1.0f} * (0.2f + 0.8f * b * b));
    }
    return img;
}

// The two doors of the gallery box: one design cut down the middle.
Image doorhalf(bool right) {
    Image door(512, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) {
            const float n = fbm(static_cast<float>(x) / 40.0f, static_cast<float>(y) / 40.0f, 4, 111);
            door.at(x, y) = mix(hex(0x4a2a10), hex(0x8a5a28), clamp01(0.5f + n));
        }
    // Inset panels and a gilded frame.
    for (int side = 0; side < 2; ++side) {
        const float x0 = static_cast<float>(side * 256) + 24.0f;
        fillrect(door, x0, 20, x0 + 208, 236, hex(0xd0a040));
        fillrect(door, x0 + 4, 24, x0 + 204, 232, hex(0x3a200c));
        fillrect(door, x0 + 10, 30, x0 + 198, 226, hex(0x6a4018), 0.8f);
    }
    Image mask(512, 256);
    textmask(mask, Font::SerifBold, 70.0f, 256.0f, 150.0f, "GALLERY", 0.5f, 2.0f);
    Image soft = blur(mask, 4);
    paintmask(door, soft, hex(0x000000), 0.7f);
    paintmask(door, mask, hex(0xffd870));
    fillrect(door, 254, 0, 258, 256, hex(0x100800)); // the gap between the doors
    fillcircle(door, 236, 200, 7, hex(0xe0c060));
    fillcircle(door, 276, 200, 7, hex(0xe0c060));
    Image half(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) half.at(x, y) = door.at(x + (right ? 256 : 0), y);
    return half;
}
Image doorleft() {
    return doorhalf(false);
}
Image doorright() {
    return doorhalf(true);
}

Image label(const char *text, Rgb plate, Rgb ink, uint32_t seed) {
    Image img = make([&](int x, int y) {
        const float n = tfbm(x, y, 4, 4, seed);
        return plate * (0.8f + 0.3f * clamp01(0.5f + n));
    });
    fillrect(img, 8, 8, 248, 248, ink, 0.9f);
    fillrect(img, 14, 14, 242, 242, plate * 0.9f);
    float size = 60.0f;
    while (textwidth(Font::SansCondensedBold, size, text) > 220.0f) size -= 2.0f;
    Image mask(N, N);
    textmask(mask, Font::SansCondensedBold, size, 128.0f, 128.0f + size * 0.36f, text, 0.5f);
    paintmask(img, blur(mask, 3), Rgb{0, 0, 0}, 0.6f);
    paintmask(img, mask, ink);
    return img;
}
Image labelgallery() {
    return label("GALLERY", hex(0xe8c060), hex(0x401000), 121);
}
Image labelcredits() {
    return label("CREDITS", hex(0x60b0e0), hex(0x001838), 122);
}
Image labelgreets() {
    return label("GREETINGS", hex(0x80d890), hex(0x002010), 123);
}
Image labelexit() {
    return label("EXIT", hex(0xe07060), hex(0x300000), 124);
}

} // namespace

const std::vector<TextureMap> &texturemaps() {
    static const std::vector<TextureMap> maps = {
        {"rock.jpg", rock},
        {"marble.jpg", marble},
        {"metal.jpg", metal},
        {"wood.jpg", wood},
        {"glass.jpg", glass},
        {"sky.jpg", sky},
        {"gold.jpg", gold},
        {"energy.jpg", energy},
        {"mosaic.jpg", mosaic},
        {"nebula.jpg", nebula},
        {"doorl.jpg", doorleft},
        {"doorr.jpg", doorright},
        {"lblgall.jpg", labelgallery},
        {"lblcred.jpg", labelcredits},
        {"lblgreet.jpg", labelgreets},
        {"lblexit.jpg", labelexit},
    };
    return maps;
}

} // namespace mkdata
