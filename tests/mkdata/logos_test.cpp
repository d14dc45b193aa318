// The intro logos are drawn lettering, not text filled with a gradient: a gradient fill of their own shape
// holds at most one colour a row and no visible step inside the letters; drawn lettering holds many more
// colours and edges there (bevels, creases, highlights, the mirrored horizon of the chrome, the grain of the
// stone).
#include "common/programrun.h"
#include "image/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

TEST(Logos, AreDrawnLetteringWithMoreColoursAndEdgesThanAGradientFill) {
    for (const char *file : {"gfx/zarn.bmp", "gfx/veltor.bmp"}) {
        // Through the show's own BMP reader; its format and size are the tree test's to check.
        std::vector<unsigned char> px(320 * 240 * 4);
        readbmp32((programrun::datadir() + "/" + file).c_str(), 0, 0, px.data(), px.size());
        auto at = [&](int x, int y) { return &px[static_cast<size_t>((y * 320 + x) * 4)]; };
        // The letters: pixels far from black all round (a glow is dim, the lettering is not).
        auto lit = [&](int x, int y) { return at(x, y)[0] + at(x, y)[1] + at(x, y)[2] > 150; };
        auto on = [&](int x, int y) {
            return x > 0 && y > 0 && x < 319 && y < 239 && lit(x, y) && lit(x - 1, y) && lit(x + 1, y) &&
                   lit(x, y - 1) && lit(x, y + 1);
        };
        // Distinct colours inside the letters, neighbouring pairs inside them that differ by a visible
        // step, and the rows the letters span (a vertical gradient has one colour a row).
        std::set<uint32_t> colours;
        size_t area = 0, edges = 0;
        int top = 240, bottom = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                if (!on(x, y)) continue;
                ++area, top = std::min(top, y), bottom = std::max(bottom, y);
                colours.insert(at(x, y)[0] << 16 | at(x, y)[1] << 8 | at(x, y)[2]);
                for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
                    if (!on(x + dx, y + dy)) continue;
                    int d = 0;
                    for (int c = 0; c < 3; ++c) d += std::abs(at(x + dx, y + dy)[c] - at(x, y)[c]);
                    edges += d > 60;
                }
            }
        EXPECT_GT(area, 320u * 240u / 40) << file << ": the lettering must fill a good part of the picture";
        EXPECT_GT(colours.size(), 5u * static_cast<size_t>(bottom - top + 1)) << file;
        // Gradient text with a glow and a lit top edge, as the logos once were, has a step at about one
        // pixel in six of its letters (their outlines); drawn lettering at one in two.
        EXPECT_GT(edges, area / 4) << file << ": bevels, creases and highlights inside the letters";
    }
}
