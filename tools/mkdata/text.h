// Glyph text through FreeType with the DejaVu fonts: coverage masks that the pictures fill, shade and glow.
#pragma once

#include "raster.h"

#include <string>
#include <vector>

namespace mkdata {

enum class Font { Sans, SansBold, SansCondensedBold, Serif, SerifBold, SerifItalic, Mono, MonoBold };

// Where the fonts are looked for; set once at start (defaults to the Debian location).
void setfontdir(const std::string &dir);
// Checks that every font can be opened; false with a message naming the missing file.
bool checkfonts(std::string &error);
// The font files the generator opens, with their folder.
std::vector<std::string> fontfiles();

// Advance width of the text in pixels at the given pixel size.
float textwidth(Font font, float size, const std::string &text);

// Adds the coverage of the text (0..1, in the r channel) into mask, with the baseline starting at (x, y).
// align: 0 left, 0.5 centred, 1 right on x. tracking adds extra pixels between letters.
void textmask(Image &mask, Font font, float size, float x, float y, const std::string &text,
              float align = 0.0f, float tracking = 0.0f);

// Fills img with colour c where mask covers it, with the given opacity.
void paintmask(Image &img, const Image &mask, Rgb c, float alpha = 1.0f);
// Convenience: draws text in one colour.
void drawtext(Image &img, Font font, float size, float x, float y, const std::string &text, Rgb c,
              float align = 0.0f, float alpha = 1.0f);
// Text with a soft dark (or light) halo behind it for legibility over busy backgrounds.
void drawtexthalo(Image &img, Font font, float size, float x, float y, const std::string &text, Rgb c,
                  Rgb halo, int haloradius, float align = 0.0f);

} // namespace mkdata
