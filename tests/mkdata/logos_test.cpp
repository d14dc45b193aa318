// The intro logos are drawn lettering, not text filled with a gradient: against a gradient fill of their
// own shape they hold many more colours and many more edges inside the letters (bevels, creases,
// highlights, the mirrored horizon of the chrome, the grain of the stone).
#include "common/programrun.h"
#include "image/image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

struct Logo {
    int w = 0, h = 0;
    std::vector<int> rgb; // w * h * 3, top row first
    int at(int x, int y, int c) const { return rgb[static_cast<size_t>((y * w + x) * 3 + c)]; }
};

// A logo through the show's own BMP reader; its format and size are the tree test's to check.
Logo readlogo(const std::string &rel) {
    Logo l;
    l.w = 320, l.h = 240;
    std::vector<unsigned char> px(320 * 240 * 4);
    readbmp32((programrun::datadir() + "/" + rel).c_str(), 0, 0, px.data(), px.size());
    for (size_t i = 0; i < 320 * 240; ++i)
        for (size_t c = 0; c < 3; ++c) l.rgb.push_back(px[i * 4 + 2 - c]);
    return l;
}

// The letters: pixels far from black all round (a glow is dim, the lettering is not).
std::vector<bool> letters(const Logo &l) {
    std::vector<bool> on(static_cast<size_t>(l.w * l.h));
    auto lit = [&](int x, int y) { return l.at(x, y, 0) + l.at(x, y, 1) + l.at(x, y, 2) > 150; };
    for (int y = 1; y + 1 < l.h; ++y)
        for (int x = 1; x + 1 < l.w; ++x)
            on[static_cast<size_t>(y * l.w + x)] =
                lit(x, y) && lit(x - 1, y) && lit(x + 1, y) && lit(x, y - 1) && lit(x, y + 1);
    return on;
}

struct Counts {
    size_t colours = 0, edges = 0;
};

// Distinct colours inside the letters, and neighbouring pairs inside them that differ by a visible step.
Counts count(const Logo &l, const std::vector<bool> &on) {
    std::set<int> colours;
    Counts n;
    for (int y = 0; y + 1 < l.h; ++y)
        for (int x = 0; x + 1 < l.w; ++x) {
            if (!on[static_cast<size_t>(y * l.w + x)]) continue;
            colours.insert(l.at(x, y, 0) << 16 | l.at(x, y, 1) << 8 | l.at(x, y, 2));
            for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
                if (!on[static_cast<size_t>((y + dy) * l.w + x + dx)]) continue;
                int d = 0;
                for (int c = 0; c < 3; ++c) d += std::abs(l.at(x + dx, y + dy, c) - l.at(x, y, c));
                n.edges += d > 60;
            }
        }
    n.colours = colours.size();
    return n;
}

// The same letters filled with a vertical gradient between the logo's own darkest and brightest colours
// inside them, as plain gradient text would be.
Logo gradientfill(const Logo &l, const std::vector<bool> &on) {
    Logo g = l;
    int top = l.h, bottom = 0;
    for (int y = 0; y < l.h; ++y)
        for (int x = 0; x < l.w; ++x)
            if (on[static_cast<size_t>(y * l.w + x)]) top = std::min(top, y), bottom = std::max(bottom, y);
    const int a[3] = {255, 240, 120}, b[3] = {255, 40, 110};
    for (int y = 0; y < l.h; ++y)
        for (int x = 0; x < l.w; ++x)
            for (int c = 0; c < 3; ++c) {
                const double t = bottom > top ? static_cast<double>(y - top) / (bottom - top) : 0.0;
                g.rgb[static_cast<size_t>((y * l.w + x) * 3 + c)] =
                    static_cast<int>(std::lround(a[c] + (b[c] - a[c]) * t));
            }
    return g;
}

TEST(Logos, AreDrawnLetteringWithMoreColoursAndEdgesThanAGradientFill) {
    for (const char *file : {"gfx/zarn.bmp", "gfx/veltor.bmp"}) {
        const Logo l = readlogo(file);
        const std::vector<bool> on = letters(l);
        size_t area = 0;
        for (bool b : on) area += b;
        EXPECT_GT(area, 320u * 240u / 40) << file << ": the lettering must fill a good part of the picture";
        const Counts drawn = count(l, on), flat = count(gradientfill(l, on), on);
        EXPECT_GT(drawn.colours, 5 * flat.colours) << file;
        // Gradient text with a glow and a lit top edge, as the logos once were, has a step at about one
        // pixel in six of its letters (their outlines); drawn lettering at one in two.
        EXPECT_GT(drawn.edges, area / 4) << file << ": bevels, creases and highlights inside the letters";
        EXPECT_GT(drawn.edges, 20 * (flat.edges + 1)) << file;
    }
}

} // namespace
