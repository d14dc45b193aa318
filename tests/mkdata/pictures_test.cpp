// The pictures are drawn, each its own. The gallery's thirteen are thirteen pictures: no two share a
// composition, and the tall ones show something else at the bottom than at the top, compared by where their
// edges lie, which a recolouring keeps. The intro logos are drawn lettering, not text filled with a
// gradient: a gradient fill of their own shape holds at most one colour a row and no visible step inside the
// letters; drawn lettering holds many more colours and edges there (bevels, creases, highlights, the
// mirrored horizon of the chrome, the grain of the stone).
#include "common/programrun.h"
#include "image/image.h"
#include "makers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

// A picture of the data tree through the show's own readers, in their byte order (blue, green, red, 0).
struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> px;
    const unsigned char *at(int x, int y) const { return &px[static_cast<size_t>((y * w + x) * 4)]; }
};

Picture load(const std::string &rel, int w, int h) {
    Picture p{w, h, std::vector<unsigned char>(static_cast<size_t>(w * h * 4))};
    const std::string path = programrun::datadir() + "/" + rel;
    if (rel.ends_with(".bmp"))
        readbmp32(path.c_str(), 0, 0, p.px.data(), p.px.size());
    else
        EXPECT_EQ(readjpg(path.c_str(), p.px.data(), p.px.size()), 1) << path;
    return p;
}

// How much edge each cell of a 32 x 24 grid over the 4:3 part of the picture starting at row top holds: the
// colour difference to the right and downward neighbours summed over the cell, on a log scale (a faint
// texture and a hard outline both count, neither swamps the map). Where the edges lie is the layout of the
// picture: its horizon, its shapes, its texture; a new palette moves none of them.
std::vector<double> edgemap(const Picture &p, int top) {
    const int gw = 32, gh = 24, h = p.w * 3 / 4;
    std::vector<double> cells(static_cast<size_t>(gw * gh));
    auto at = [&](int x, int y, int c) { return p.at(x, y)[c] / 255.0; };
    for (int y = top; y < top + h - 1; ++y)
        for (int x = 0; x < p.w - 1; ++x) {
            double e = 0.0;
            for (int c = 0; c < 3; ++c)
                e += std::fabs(at(x + 1, y, c) - at(x, y, c)) + std::fabs(at(x, y + 1, c) - at(x, y, c));
            cells[static_cast<size_t>((y - top) * gh / h * gw + x * gw / p.w)] += e;
        }
    const double area = static_cast<double>(p.w) / gw * h / gh;
    for (double &c : cells) c = std::log(1.0 + 50.0 * c / area);
    return cells;
}

// Pearson's correlation of two edge maps: 1 for the same layout, near 0 for unrelated ones.
double likeness(const std::vector<double> &a, const std::vector<double> &b) {
    const double n = static_cast<double>(a.size());
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) ma += a[i] / n, mb += b[i] / n;
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 1.0;
}

// Two pictures with a likeness above this share their composition. A gallery picture recoloured (other
// colours for the same brightness, the channels exchanged and turned round besides) scores 0.96 to 1
// against its original, but for the soft-edged stacked fields (0.74, where a new palette shifts the weight
// between faint and strong edges); the two most alike pictures of the gallery score about 0.5.
constexpr double SAME = 0.6;

// How far apart the mean colours of the bands of rows rows starting at rows a and b lie (each channel 0..1,
// summed).
double colourdistance(const Picture &p, int a, int b, int rows) {
    double d[3] = {};
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < p.w; ++x)
            for (int c = 0; c < 3; ++c)
                d[c] += (p.at(x, a + y)[c] - p.at(x, b + y)[c]) / 255.0 / (p.w * rows);
    return std::fabs(d[0]) + std::fabs(d[1]) + std::fabs(d[2]);
}

TEST(Gallery, EveryTwoPicturesDifferInCompositionAndTallOnesFromTopToBottom) {
    std::vector<Picture> pics;
    std::vector<std::vector<double>> maps;
    for (const mkdata::GalleryEntry &e : mkdata::gallery) {
        pics.push_back(load(e.path, e.width, e.height));
        maps.push_back(edgemap(pics.back(), 0));
    }
    for (size_t i = 0; i < pics.size(); ++i) {
        const Picture &p = pics[i];
        for (size_t j = i + 1; j < pics.size(); ++j)
            EXPECT_LT(likeness(maps[i], maps[j]), SAME)
                << mkdata::gallery[i].path << " and " << mkdata::gallery[j].path << " share a composition";
        // A tall picture shows something else at the bottom than at the top: in layout, and not merely the
        // same layout in other colours.
        const int band = p.w * 3 / 4, bottom = p.h - band;
        if (bottom <= 0) continue;
        EXPECT_LT(likeness(maps[i], edgemap(p, bottom)), SAME) << mkdata::gallery[i].path;
        EXPECT_GT(colourdistance(p, 0, bottom, band), 0.1) << mkdata::gallery[i].path;
    }
}

TEST(Logos, AreDrawnLetteringWithMoreColoursAndEdgesThanAGradientFill) {
    for (const char *file : {"gfx/zarn.bmp", "gfx/veltor.bmp"}) {
        // Through the show's own BMP reader; its format and size are the tree test's to check.
        const Picture p = load(file, 320, 240);
        // The letters: pixels far from black all round (a glow is dim, the lettering is not).
        auto lit = [&](int x, int y) { return p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2] > 150; };
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
                colours.insert(p.at(x, y)[0] << 16 | p.at(x, y)[1] << 8 | p.at(x, y)[2]);
                for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
                    if (!on(x + dx, y + dy)) continue;
                    int d = 0;
                    for (int c = 0; c < 3; ++c) d += std::abs(p.at(x + dx, y + dy)[c] - p.at(x, y)[c]);
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

} // namespace
