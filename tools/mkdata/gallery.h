// The gallery's three artists, one file each: morlen's landscapes, tasp's colour fields (wevold's fractals
// stay with the gallery's table).
#pragma once

#include "raster.h"

namespace mkdata {

// Picture `which` (0..4) of morlen and (0..4) of tasp at the gallery's size for it.
Image landscape(int which, int w, int h);
Image colourfield(int which, int w, int h);

// The artist's name, small, in the lower right corner.
void signature(Image &img, const char *artist, Rgb c);

} // namespace mkdata
