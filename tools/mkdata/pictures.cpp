// The show's own screens: the eye of the exit, the menu background, the gallery
// screen and its artists' bar, and the credits and greetings screens.
#include "makers.h"
#include "text.h"

#include <algorithm>

namespace mkdata {

Image eyepicture() {
    // A close-up of an eye: the last picture of the show, which comes out of white.
    Image img(320, 240);
    const float cx = 160.0f, cy = 122.0f, halfw = 128.0f, halfh = 62.0f;
    const float ir = 46.0f, pr = 15.0f;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const float fx = static_cast<float>(x) + 0.5f - cx, fy = static_cast<float>(y) + 0.5f - cy;
            const float nx = fx / halfw;
            const float lid = halfh * std::max(0.0f, 1.0f - nx * nx) * (fy < 0 ? 1.0f : 0.8f);
            // Skin: warm, softly shaded, with fine pores.
            const float pores = fbm(static_cast<float>(x) * 0.15f, static_cast<float>(y) * 0.15f, 4, 71);
            const float shade =
                0.75f + 0.25f * std::cos(std::min(1.0f, std::hypot(fx / 200.0f, fy / 150.0f)) * 1.5f);
            Rgb skin = mix(hex(0x8a5a48), hex(0xe0b090), shade) * (0.95f + 0.1f * pores);
            // Crease above the eye.
            const float crease = std::fabs(fy + lid + 18.0f * (1.0f - nx * nx) + 4.0f);
            skin = skin *
                   (1.0f - 0.25f * std::exp(-crease * crease / 30.0f) * (std::fabs(nx) < 1 ? 1.0f : 0.0f));
            const float inside = std::fabs(fy) - lid; // < 0 inside the opening
            Rgb c = skin;
            if (inside < 1.0f && std::fabs(nx) < 1.0f) {
                const float r = std::hypot(fx, fy);
                const float a = std::atan2(fy, fx);
                Rgb ball = mix(hex(0xf4efe8), hex(0xc8b8b0), clamp01(std::fabs(nx) * 1.2f));
                const float vein = fbm(a * 6.0f, r * 0.08f, 4, 5);
                ball = mix(ball, hex(0xc05050), clamp01((vein - 0.25f) * 3.0f) * clamp01(r / halfw) * 0.6f);
                if (r < ir + 1.0f) {
                    // Iris: fibres running outwards, a dark rim, gold around the pupil.
                    const float fib =
                        fbm(a * 14.0f, r * 0.06f, 5, 17) + 0.5f * fbm(a * 40.0f, r * 0.2f, 3, 19);
                    Rgb iris = mix(hex(0x0e5a6a), hex(0x3ab0b0), clamp01(0.5f + fib));
                    iris = mix(iris, hex(0xd09a30), smoothstep(ir * 0.55f, pr, r) * 0.8f);
                    iris = iris * (1.0f - 0.6f * smoothstep(ir * 0.75f, ir, r));
                    if (r < pr + 1.0f) iris = mix(iris, hex(0x040404), clamp01(pr + 0.5f - r));
                    ball = mix(ball, iris, clamp01(ir + 0.5f - r));
                }
                // The lids shade the ball near their edge.
                ball = ball * (0.55f + 0.45f * smoothstep(0.0f, 16.0f, -inside));
                c = mix(ball, skin * 0.7f, clamp01(inside + 0.5f));
            }
            img.at(x, y) = c;
        }
    }
    // Highlights of the light source.
    glowdisc(img, cx - 14.0f, cy - 16.0f, 9.0f, Rgb{1, 1, 1} * 1.6f);
    glowdisc(img, cx + 18.0f, cy + 12.0f, 4.0f, Rgb{1, 1, 1} * 0.8f);
    // Lashes along the upper lid.
    Random rnd(2024);
    for (int i = 0; i < 70; ++i) {
        const float nx = rnd.range(-0.95f, 0.95f);
        const float x0 = cx + nx * halfw, y0 = cy - halfh * (1.0f - nx * nx);
        const float len = 10.0f + 10.0f * (1.0f - nx * nx) + rnd.range(0, 5);
        const float ang = -1.57f + nx * 1.1f + rnd.range(-0.15f, 0.15f);
        line(img, x0, y0, x0 + std::cos(ang) * len, y0 + std::sin(ang) * len, 1.3f, hex(0x1a100c), 0.85f);
    }
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    return img;
}

Image menubackground() {
    // Deep space behind the turning menu: a nebula, stars and a glowing floor of light.
    Image img(320, 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const float fx = static_cast<float>(x) / 320.0f, fy = static_cast<float>(y) / 240.0f;
            const float n = fbm(fx * 3.0f, fy * 2.2f, 6, 303);
            const float m = fbm(fx * 6.0f + 3.0f, fy * 4.0f, 5, 304);
            Rgb c = mix(hex(0x05040f), hex(0x1a0c3a), fy);
            c = c + hex(0x5a1a7a) * clamp01(n * 1.6f + 0.1f) * 0.8f +
                hex(0x10508a) * clamp01(m * 1.6f) * 0.6f;
            c = c + hex(0x3050a0) * std::pow(clamp01((fy - 0.6f) * 2.5f), 2.0f) * 0.8f;
            img.at(x, y) = c;
        }
    }
    Random r(77);
    for (int i = 0; i < 260; ++i) {
        const float x = r.range(0, 320), y = r.range(0, 200), b = r.uniform();
        img.add(static_cast<int>(x), static_cast<int>(y), Rgb{0.9f, 0.95f, 1.0f} * (0.2f + 0.8f * b * b * b));
    }
    drawtexthalo(img, Font::SerifBold, 16.0f, 160.0f, 22.0f, "V E L T O R", hex(0xc8d8ff), hex(0x000010), 3,
                 0.5f);
    drawtext(img, Font::Sans, 9.0f, 160.0f, 232.0f, "left / right  turn      enter  choose", hex(0x9aa8d8),
             0.5f, 0.9f);
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    return img;
}

Image artmenupicture() {
    // The gallery screen. Columns 20 to 119 are the window onto the artists' bar (pasted in by the show);
    // the glowing box of the bar is at rows 26 to 73, columns 38 to 101.
    Image img(320, 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const float fx = static_cast<float>(x) / 320.0f, fy = static_cast<float>(y) / 240.0f;
            const float n = fbm(fx * 4.0f, fy * 3.0f, 5, 808);
            Rgb c = mix(hex(0x0a1420), hex(0x10283a), fy) + hex(0x205a6a) * clamp01(n + 0.2f) * 0.5f;
            // Fine diagonal lines, like engraved metal.
            c = c * (0.92f + 0.08f * std::sin((static_cast<float>(x + y)) * 1.2f));
            img.at(x, y) = c;
        }
    }
    // Bevelled frame around the bar window.
    fillrect(img, 15, 0, 20, 240, hex(0x6a8a9a));
    fillrect(img, 120, 0, 125, 240, hex(0x2a3a44));
    fillrect(img, 16, 0, 17, 240, hex(0xb0d0e0));
    fillrect(img, 123, 0, 124, 240, hex(0x10181c));
    // Pointers at the selection box.
    for (int i = 0; i < 6; ++i) {
        const float s = static_cast<float>(i);
        line(img, 3 + s, 44 + s, 3 + s, 56 - s, 1.2f, hex(0xffc040));
        line(img, 134 - s, 44 + s, 134 - s, 56 - s, 1.2f, hex(0xffc040));
    }
    drawtexthalo(img, Font::SerifBold, 28.0f, 224.0f, 46.0f, "Gallery", hex(0xffe0a0), hex(0x000000), 3,
                 0.5f);
    drawtext(img, Font::SerifItalic, 12.0f, 224.0f, 66.0f, "thirteen pictures", hex(0xc0d8e0), 0.5f);
    drawtext(img, Font::SerifItalic, 12.0f, 224.0f, 81.0f, "by three artists", hex(0xc0d8e0), 0.5f);
    drawtext(img, Font::SansBold, 11.0f, 224.0f, 110.0f, "morlen", hex(0xffb080), 0.5f);
    drawtext(img, Font::Sans, 9.0f, 224.0f, 122.0f, "landscapes", hex(0x90a8b0), 0.5f);
    drawtext(img, Font::SansBold, 11.0f, 224.0f, 140.0f, "tasp", hex(0xe090ff), 0.5f);
    drawtext(img, Font::Sans, 9.0f, 224.0f, 152.0f, "colour fields", hex(0x90a8b0), 0.5f);
    drawtext(img, Font::SansBold, 11.0f, 224.0f, 170.0f, "wevold", hex(0x80d0ff), 0.5f);
    drawtext(img, Font::Sans, 9.0f, 224.0f, 182.0f, "fractals", hex(0x90a8b0), 0.5f);
    drawtext(img, Font::Sans, 9.0f, 224.0f, 206.0f, "up / down  choose", hex(0xd0e0e8), 0.5f);
    drawtext(img, Font::Sans, 9.0f, 224.0f, 218.0f, "enter  view     esc  back", hex(0xd0e0e8), 0.5f);
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    return img;
}

Image artbar(const std::vector<Image> &pictures) {
    Image img(100, 1600);
    const Rgb tint[3] = {hex(0x3a2018), hex(0x2a1838), hex(0x102838)};
    const Rgb name[3] = {hex(0xffb080), hex(0xe090ff), hex(0x80d0ff)};
    for (int k = 0; k < 16; ++k) {
        const int top = k * 100;
        const int artist = k < 5 ? 0 : k < 10 ? 1 : 2;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                const float fy = static_cast<float>(y) / 100.0f;
                const float n =
                    fbm(static_cast<float>(x) * 0.05f, static_cast<float>(top + y) * 0.05f, 3, 909);
                Rgb c = k < 13 ? mix(tint[artist] * 1.4f, tint[artist] * 0.6f, fy)
                               : hex(0x0c1218) * (1.0f - fy * 0.5f);
                img.at(x, top + y) = c * (0.9f + 0.2f * n);
            }
        }
        // A thin rule between entries.
        fillrect(img, 6, static_cast<float>(top), 94, static_cast<float>(top) + 1, hex(0x5a7080), 0.8f);
        if (k >= 13) {
            if (k == 13)
                drawtext(img, Font::SerifItalic, 11.0f, 50.0f, static_cast<float>(top) + 50.0f, "end",
                         hex(0x607080), 0.5f);
            continue;
        }
        const GalleryEntry &e = gallery[k];
        drawtext(img, Font::SansBold, 11.0f, 50.0f, static_cast<float>(top) + 18.0f, e.artist, name[artist],
                 0.5f);
        // The thumbnail fills the glowing box exactly: rows 26 to 73, columns 18 to 81. Tall pictures show
        // the part that opens first (their top).
        const Image &pic = pictures[static_cast<size_t>(k)];
        Image crop(pic.w, pic.w * 3 / 4);
        for (int y = 0; y < crop.h; ++y)
            for (int x = 0; x < crop.w; ++x) crop.at(x, y) = pic.at(x, y);
        const Image thumb = resize(crop, 64, 48);
        fillrect(img, 17, static_cast<float>(top) + 25, 83, static_cast<float>(top) + 75, hex(0xd0d8e0));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) img.at(18 + x, top + 26 + y) = thumb.at(x, y);
        drawtext(img, Font::SerifItalic, 11.0f, 50.0f, static_cast<float>(top) + 90.0f, e.title,
                 hex(0xe8e0d0), 0.5f);
    }
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    return img;
}

namespace {

Image brightbackground(uint32_t seed, const Ramp &ramp, Rgb bubble) {
    Image img(640, 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const float fx = static_cast<float>(x) / 640.0f, fy = static_cast<float>(y) / 480.0f;
            const float n = fbm(fx * 3.0f, fy * 2.5f, 6, seed);
            img.at(x, y) = ramp.at(clamp01(fy * 0.7f + fx * 0.3f + n * 0.4f));
        }
    }
    Random r(seed);
    for (int i = 0; i < 40; ++i) {
        const float x = r.range(0, 640), y = r.range(0, 480), rad = r.range(10, 60);
        fillcircle(img, x, y, rad, bubble, r.range(0.08f, 0.22f));
        fillcircle(img, x, y, rad * 0.8f, Rgb{1, 1, 1}, 0.06f);
    }
    return img;
}

void titled(Image &img, const char *title, Rgb ink) {
    Image mask(640, 480);
    textmask(mask, Font::SerifBold, 64.0f, 320.0f, 92.0f, title, 0.5f, 6.0f);
    const Image soft = blur(mask, 6);
    for (int i = 0; i < 640 * 480; ++i)
        img.px[static_cast<size_t>(i)] = mix(img.px[static_cast<size_t>(i)], Rgb{1, 1, 1},
                                             clamp01(soft.px[static_cast<size_t>(i)].r * 2.5f));
    paintmask(img, mask, ink);
    fillrect(img, 170, 110, 470, 113, ink, 0.8f);
}

// Rows of two columns meeting at a gutter: the name right-aligned before it, what it is after it.
struct Row {
    const char *name;
    const char *what;
};

void tworows(Image &img, const Row *rows, int count, float y, float step, Rgb nameink, Rgb ink) {
    // The block is centred as a whole, the gutter where its longest name ends.
    float names = 0.0f, whats = 0.0f;
    for (int i = 0; i < count; ++i) {
        names = std::max(names, textwidth(Font::SansBold, 18.0f, rows[i].name));
        whats = std::max(whats, textwidth(Font::SerifItalic, 17.0f, rows[i].what));
    }
    const float gutter = std::round((640.0f - names - whats - 22.0f) * 0.5f + names + 8.0f);
    const float top = y;
    for (int i = 0; i < count; ++i, y += step) {
        drawtexthalo(img, Font::SansBold, 18.0f, gutter - 8.0f, y, rows[i].name, nameink, Rgb{1, 1, 1}, 3,
                     1.0f);
        drawtexthalo(img, Font::SerifItalic, 17.0f, gutter + 14.0f, y, rows[i].what, ink, Rgb{1, 1, 1}, 3,
                     0.0f);
    }
    // A dotted rule down the gutter ties each name to its line.
    for (float d = top - 12.0f; d < y - step + 4.0f; d += 5.0f)
        fillcircle(img, gutter + 3.0f, d, 1.1f, nameink, 0.5f);
}

void heading(Image &img, float y, const char *text, Rgb ink) {
    drawtexthalo(img, Font::SansCondensedBold, 15.0f, 320.0f, y, text, ink, Rgb{1, 1, 1}, 3, 0.5f);
    const float w = textwidth(Font::SansCondensedBold, 15.0f, text) * 0.5f + 12.0f;
    fillrect(img, 320.0f - w - 60.0f, y - 6.0f, 320.0f - w, y - 5.0f, ink, 0.5f);
    fillrect(img, 320.0f + w, y - 6.0f, 320.0f + w + 60.0f, y - 5.0f, ink, 0.5f);
}

} // namespace

Image creditspicture() {
    Image img = brightbackground(
        1111, Ramp{{{0, hex(0xfff4d8)}, {0.45f, hex(0xffd0a8)}, {0.8f, hex(0xf8a8b8)}, {1, hex(0xd8b8f0)}}},
        hex(0xffffff));
    const Rgb ink = hex(0x3a1040), accent = hex(0x8a1a50);
    titled(img, "CREDITS", ink);
    // What really made the show: this project wrote all of it, the data included, standing on these
    // libraries and fonts.
    heading(img, 146.0f, "MADE BY THE SHOWCASE PROJECT", accent);
    const Row made[] = {
        {"code", "the engine, its software renderer, the show"},
        {"pictures", "thirteen paintings and fractals, all generated"},
        {"logos & screens", "drawn from lit letter outlines, generated"},
        {"3d scenes", "the intro world and the menu, generated"},
        {"music", "velun, a tracked module, generated"},
    };
    tworows(img, made, 5, 172.0f, 22.0f, accent, ink);
    heading(img, 298.0f, "STANDING ON", accent);
    const Row stands[] = {
        {"SDL2", "zlib licence"},
        {"libopenmpt", "BSD licence"},
        {"libjpeg-turbo", "IJG and BSD licences"},
        {"libpng", "libpng licence"},
        {"FreeType", "FreeType licence"},
        {"DejaVu fonts", "Bitstream Vera licence"},
    };
    tworows(img, stands, 6, 324.0f, 21.0f, accent, ink);
    drawtext(img, Font::Sans, 13.0f, 320.0f, 462.0f, "esc returns to the menu", ink, 0.5f, 0.7f);
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    return img;
}

Image greetingspicture() {
    Image img = brightbackground(
        2222, Ramp{{{0, hex(0xe8fff0)}, {0.4f, hex(0xb8f0e0)}, {0.75f, hex(0xa8d8ff)}, {1, hex(0xf0e0ff)}}},
        hex(0xffffff));
    const Rgb ink = hex(0x0a2a48), accent = hex(0x0a5a70);
    titled(img, "GREETINGS", ink);
    // Groups and projects that keep the scene and its history alive (no invented people).
    heading(img, 146.0f, "TO THE KEEPERS OF THE SCENE", accent);
    const Row keepers[] = {
        {"scene.org", "the file archive of the demoscene"},
        {"Pou\xEBt", "every production, rated and discussed"},
        {"Demozoo", "groups, parties and releases on record"},
        {"CSDb", "the Commodore 64 scene database"},
        {"The Mod Archive", "tracked music kept and shared"},
        {"Art of Coding", "the demoscene as cultural heritage"},
    };
    tworows(img, keepers, 6, 172.0f, 22.0f, accent, ink);
    heading(img, 318.0f, "TO THE TOOLS THAT KEEP IT RUNNING", accent);
    const Row tools[] = {
        {"OpenMPT", "the tracker, and the player in this show"},
        {"MilkyTracker", "FastTracker 2, carried forward"},
        {"Schism Tracker", "Impulse Tracker, carried forward"},
        {"DOSBox", "the PC of the nineties, today"},
        {"ScummVM", "old games on new machines"},
    };
    tworows(img, tools, 5, 344.0f, 22.0f, accent, ink);
    drawtext(img, Font::Sans, 13.0f, 320.0f, 462.0f, "esc returns to the menu", ink, 0.5f, 0.7f);
    for (Rgb &p : img.px) p = {clamp01(p.r), clamp01(p.g), clamp01(p.b)};
    return img;
}

} // namespace mkdata
