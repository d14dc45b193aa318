// One PNG that shows every picture and texture map of a data tree at a glance.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace mkdata {

// Reads the pictures of the tree at datadir and writes the sheet to out. False with a message naming the
// file on failure.
bool writecontactsheet(const std::string &datadir, const std::string &out, std::string &error);

// A PNG of the picture (with alpha from `alpha`, one value 0..1 a pixel, when given); false with a message.
bool writepng(const Image &img, const std::string &path, std::string &error,
              const std::vector<float> *alpha = nullptr);

} // namespace mkdata
