// What the generator makes: one function per picture, texture map, module and scene.
#pragma once

#include "raster.h"

#include <string>
#include <vector>

namespace mkdata {

struct GalleryEntry {
    const char *path; // relative to the data tree, lower case as on disk
    const char *artist;
    const char *title;
    int width, height;
};
extern const GalleryEntry gallery[13];

Image gallerypicture(int index);

Image logozarn();
Image logoveltor();
Image eyepicture();
Image menubackground();
Image artmenupicture();
// The artists' bar, 100 x 1600: one entry per gallery picture, its thumbnail in the glowing box.
Image artbar(const std::vector<Image> &pictures);
Image creditspicture();
Image greetingspicture();

struct TextureMap {
    const char *file; // under gfx/maps, lower case
    Image (*make)();
};
const std::vector<TextureMap> &texturemaps();

// The module; false with a message naming the file on failure.
bool writemusic(const std::string &path, std::string &error);
// Length of the composition in rows and the tempo, for the report line.
std::string musicsummary();

// Both scene files into root/gfx; false with a message naming the file on failure.
bool writeintroscene(const std::string &path, std::string &error);
bool writemenuscene(const std::string &path, std::string &error);

// The program's icon, SIZExSIZE/apps/NAME.png under themedir for each of iconsizes(); false with a message
// naming the file on failure.
const std::vector<int> &iconsizes();
bool writeicons(const std::string &themedir, const std::string &name, std::string &error);

} // namespace mkdata
