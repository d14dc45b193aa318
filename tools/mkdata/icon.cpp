// The program's icon for desktop menus, cut from the show's own eye picture: a round window onto the eye,
// in every size of the icon theme, so that no size is scaled by the desktop.
#include "contactsheet.h"
#include "makers.h"
#include "raster.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>

namespace mkdata {

namespace {} // namespace

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
        if (!writepng(img, dir + "/" + name + ".png", error, &alpha)) return false;
    }
    return true;
}

} // namespace mkdata
