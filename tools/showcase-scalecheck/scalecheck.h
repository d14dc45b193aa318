// The 3D views of the tour (intro frames, menu turns, the flight to the box, the doors) drawn n times larger,
// against the same views at 320 x 240 through the pixel at the middle of each n x n block: textured as the
// show draws them, and with each object's faces drawn opaque in a flat colour of its own (its number plus
// one), where only polygon edges can differ.
#pragma once

#include <string>

struct ScaleAgreement {
    double textured = 1.0, texturedmean = 0.0; // block middles equal to the 320 x 240 pixel
    double flat = 1.0;                         // the same for the flat colours
    double iou = 1.0;                          // per object, of the block middles against 320 x 240
    double enlarged = 1.0, enlargedmean = 0.0; // per object, of the n x n coverage against 320 x 240 enlarged
    std::string worst;                         // the view where the textured agreement is lowest
};

// Loads the show's scenes from the data tree dir as the show does (tables, buffers, both scenes); false with
// a one-line reason when the tree lacks them.
bool loadscenesforcheck(const std::string &dir, std::string &error);

// Compares at scale n the scenes the show has loaded; objects of fewer than minpixels pixels at 320 x 240
// count for the flat colours but not per object.
ScaleAgreement comparescale(int n, long minpixels);

// The figures on one line: "scale N: flat colours ...".
std::string describe(int n, const ScaleAgreement &r);
