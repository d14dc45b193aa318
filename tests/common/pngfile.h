// Reading a captured frame back: a PNG as rows of red, green, blue bytes.
#pragma once

#include <png.h>

#include <string>
#include <vector>

struct Rgb {
    int width = 0, height = 0;
    std::vector<unsigned char> px; // r, g, b
    const unsigned char *at(int x, int y) const { return &px[(size_t(y) * width + x) * 3]; }
};

// An empty picture when the file cannot be read.
inline Rgb readpng(const std::string &path) {
    Rgb p;
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return p;
    img.format = PNG_FORMAT_RGB;
    p.width = int(img.width);
    p.height = int(img.height);
    p.px.resize(PNG_IMAGE_SIZE(img));
    png_image_finish_read(&img, nullptr, p.px.data(), 0, nullptr);
    return p;
}
