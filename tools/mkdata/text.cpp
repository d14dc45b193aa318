#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace mkdata {

namespace {

std::string fontdir = "/usr/share/fonts/truetype/dejavu";
std::mutex fontlock; // FreeType faces are not shared between threads safely
FT_Library library = nullptr;
std::map<Font, FT_Face> faces;

// Each font's file, and the Debian package that holds it (scripts/install-deps installs both for make run).
struct FontFile {
    Font font;
    const char *file;
    const char *package;
};
constexpr FontFile FONTS[] = {
    {Font::Sans, "DejaVuSans.ttf", "fonts-dejavu-core"},
    {Font::SansBold, "DejaVuSans-Bold.ttf", "fonts-dejavu-core"},
    {Font::SansCondensedBold, "DejaVuSansCondensed-Bold.ttf", "fonts-dejavu-extra"},
    {Font::Serif, "DejaVuSerif.ttf", "fonts-dejavu-core"},
    {Font::SerifBold, "DejaVuSerif-Bold.ttf", "fonts-dejavu-core"},
    {Font::SerifItalic, "DejaVuSerif-Italic.ttf", "fonts-dejavu-extra"},
    {Font::Mono, "DejaVuSansMono.ttf", "fonts-dejavu-core"},
    {Font::MonoBold, "DejaVuSansMono-Bold.ttf", "fonts-dejavu-core"},
};

const FontFile &fontfile(Font f) {
    for (const FontFile &ff : FONTS)
        if (ff.font == f) return ff;
    return FONTS[0];
}

const char *filename(Font f) {
    return fontfile(f).file;
}

FT_Face face(Font f) {
    if (!library && FT_Init_FreeType(&library)) return nullptr;
    auto it = faces.find(f);
    if (it != faces.end()) return it->second;
    FT_Face fc = nullptr;
    const std::string path = fontdir + "/" + filename(f);
    if (FT_New_Face(library, path.c_str(), 0, &fc)) return nullptr;
    faces[f] = fc;
    return fc;
}

// Sizes are given in pixels, with 1/64 precision.
bool setsize(FT_Face fc, float size) {
    return FT_Set_Char_Size(fc, 0, static_cast<FT_F26Dot6>(size * 64.0f), 72, 72) == 0;
}

template <class Fn> float walk(Font font, float size, const std::string &text, float tracking, Fn &&fn) {
    FT_Face fc = face(font);
    if (!fc || !setsize(fc, size)) return 0.0f;
    float pen = 0.0f;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        const FT_UInt glyph = FT_Get_Char_Index(fc, ch);
        if (previous && glyph && FT_HAS_KERNING(fc)) {
            FT_Vector k;
            if (!FT_Get_Kerning(fc, previous, glyph, FT_KERNING_UNFITTED, &k))
                pen += static_cast<float>(k.x) / 64.0f;
        }
        if (FT_Load_Glyph(fc, glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING)) continue;
        fn(fc, pen);
        pen += static_cast<float>(fc->glyph->advance.x) / 64.0f + tracking;
        previous = glyph;
    }
    return pen - (text.empty() ? 0.0f : tracking);
}

} // namespace

void setfontdir(const std::string &dir) {
    std::lock_guard<std::mutex> guard(fontlock);
    fontdir = dir;
}

bool checkfonts(std::string &error) {
    std::lock_guard<std::mutex> guard(fontlock);
    for (const FontFile &ff : FONTS) {
        if (!face(ff.font)) {
            error = fontdir + "/" + ff.file + ": font cannot be opened (install the package " + ff.package +
                    "; 'make run' installs it)";
            return false;
        }
    }
    return true;
}

std::vector<std::string> fontfiles() {
    std::lock_guard<std::mutex> guard(fontlock);
    std::vector<std::string> files;
    for (const FontFile &ff : FONTS) files.push_back(fontdir + "/" + ff.file);
    return files;
}

float textwidth(Font font, float size, const std::string &text) {
    std::lock_guard<std::mutex> guard(fontlock);
    return walk(font, size, text, 0.0f, [](FT_Face, float) {});
}

void textmask(Image &mask, Font font, float size, float x, float y, const std::string &text, float align,
              float tracking) {
    std::lock_guard<std::mutex> guard(fontlock);
    const float width = walk(font, size, text, tracking, [](FT_Face, float) {});
    const float left = x - width * align;
    walk(font, size, text, tracking, [&](FT_Face fc, float pen) {
        // Place the outline at its sub-pixel position, then render it with anti-aliasing.
        const float ox = left + pen;
        const float fx = ox - std::floor(ox), fy = y - std::floor(y);
        FT_Outline_Translate(&fc->glyph->outline, static_cast<FT_Pos>(fx * 64.0f),
                             -static_cast<FT_Pos>(fy * 64.0f));
        if (FT_Render_Glyph(fc->glyph, FT_RENDER_MODE_NORMAL)) return;
        const FT_Bitmap &bm = fc->glyph->bitmap;
        const int bx = static_cast<int>(std::floor(ox)) + fc->glyph->bitmap_left;
        const int by = static_cast<int>(std::floor(y)) - fc->glyph->bitmap_top;
        for (unsigned r = 0; r < bm.rows; ++r) {
            for (unsigned c = 0; c < bm.width; ++c) {
                const int px = bx + static_cast<int>(c), py = by + static_cast<int>(r);
                if (px < 0 || py < 0 || px >= mask.w || py >= mask.h) continue;
                const float v =
                    static_cast<float>(bm.buffer[static_cast<int>(r) * bm.pitch + static_cast<int>(c)]) /
                    255.0f;
                Rgb &m = mask.at(px, py);
                m.r = std::min(1.0f, m.r + v);
            }
        }
    });
}

void paintmask(Image &img, const Image &mask, Rgb c, float alpha) {
    for (int y = 0; y < img.h && y < mask.h; ++y)
        for (int x = 0; x < img.w && x < mask.w; ++x) img.blend(x, y, c, mask.at(x, y).r * alpha);
}

void drawtext(Image &img, Font font, float size, float x, float y, const std::string &text, Rgb c,
              float align, float alpha) {
    Image mask(img.w, img.h);
    textmask(mask, font, size, x, y, text, align);
    paintmask(img, mask, c, alpha);
}

void drawtexthalo(Image &img, Font font, float size, float x, float y, const std::string &text, Rgb c,
                  Rgb halo, int haloradius, float align) {
    Image mask(img.w, img.h);
    textmask(mask, font, size, x, y, text, align);
    Image soft = blur(mask, haloradius);
    for (Rgb &p : soft.px) p.r = clamp01(p.r * 3.0f);
    paintmask(img, soft, halo, 0.85f);
    paintmask(img, mask, c);
}

} // namespace mkdata
