// The program's icon for desktop menus, cut from the show's own eye picture: a round window onto the eye,
// in every size of the icon theme, so that no size is scaled by the desktop.
#include "makers.h"
#include "raster.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>

namespace mkdata {

namespace {

bool writepngrgba(const Image &img, const std::vector<float> &alpha, const std::string &path,
                  std::string &error) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot be opened for writing";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        error = path + ": the PNG could not be written";
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.w), static_cast<png_uint_32>(img.h), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(static_cast<size_t>(img.w) * 4);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            unsigned char *p = &row[static_cast<size_t>(x) * 4];
            p[0] = tobyte(img.at(x, y).r);
            p[1] = tobyte(img.at(x, y).g);
            p[2] = tobyte(img.at(x, y).b);
            p[3] = tobyte(alpha[static_cast<size_t>(y * img.w + x)]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (fclose(f) != 0) {
        error = path + ": could not be written completely";
        return false;
    }
    return true;
}

} // namespace

const std::vector<int> &iconsizes() {
    static const std::vector<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256};
    return sizes;
}

bool writeicons(const std::string &themedir, const std::string &name, std::string &error) {
    // The eye fills the middle of its 320 x 240 picture; a square around it keeps the iris in the centre.
    const Image eye = eyepicture();
    const int side = 232, left = (eye.w - side) / 2, top = (eye.h - side) / 2;
    Image square(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) square.at(x, y) = eye.at(left + x, top + y);
    for (int size : iconsizes()) {
        const Image img = resize(square, size, size);
        // A disc with a one-pixel soft edge, so that small sizes stay round.
        std::vector<float> alpha(static_cast<size_t>(size * size));
        const float c = static_cast<float>(size) * 0.5f, r = c - 0.5f;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const float d =
                    std::hypot(static_cast<float>(x) + 0.5f - c, static_cast<float>(y) + 0.5f - c);
                alpha[static_cast<size_t>(y * size + x)] = clamp01(r - d + 0.5f);
            }
        const std::string dir = themedir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            error = dir + ": cannot create the directory: " + ec.message();
            return false;
        }
        if (!writepngrgba(img, alpha, dir + "/" + name + ".png", error)) return false;
    }
    return true;
}

} // namespace mkdata
