// The gallery's thirteen pictures are thirteen pictures: no two share a composition, and the tall ones show
// something else at the bottom than at the top. Compared by where their edges lie, which a recolouring
// keeps; the test shows that the measure does catch a recoloured picture.
#include "common/programrun.h"
#include "image/image.h"
#include "makers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<float> rgb; // w * h * 3, 0..1
};

Picture load(const mkdata::GalleryEntry &e) {
    Picture p;
    p.w = e.width, p.h = e.height;
    std::vector<unsigned char> px(static_cast<size_t>(e.width * e.height * 4));
    const std::string path = programrun::datadir() + "/" + e.path;
    EXPECT_EQ(readjpg(path.c_str(), px.data(), px.size()), 1) << path;
    p.rgb.resize(static_cast<size_t>(e.width * e.height * 3));
    for (size_t i = 0; i < static_cast<size_t>(e.width * e.height); ++i)
        for (size_t c = 0; c < 3; ++c) p.rgb[i * 3 + c] = px[i * 4 + c] / 255.0f;
    return p;
}

// How much edge each cell of a 32 x 24 grid over the 4:3 part of the picture starting at row top holds: the
// colour difference to the right and downward neighbours summed over the cell, on a log scale (a faint
// texture and a hard outline both count, neither swamps the map). Where the edges lie is the layout of the
// picture: its horizon, its shapes, its texture; a new palette moves none of them.
std::vector<double> edgemap(const Picture &p, int top) {
    const int gw = 32, gh = 24, h = p.w * 3 / 4;
    std::vector<double> cells(static_cast<size_t>(gw * gh));
    auto at = [&](int x, int y, int c) { return p.rgb[static_cast<size_t>((y * p.w + x) * 3 + c)]; };
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

// Two pictures with a likeness above this share their composition. A recoloured gallery picture scores
// 0.96 to 1 against its original, but for the soft-edged stacked fields (0.74, where a new palette shifts
// the weight between faint and strong edges); the two most alike pictures of the gallery score about 0.5.
constexpr double SAME = 0.6;

// A recolouring as the gallery's landscapes once were made: other colours for the same brightness, with
// the channels exchanged and turned round besides.
Picture recoloured(const Picture &p) {
    Picture q = p;
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        const float l = 0.3f * p.rgb[i] + 0.59f * p.rgb[i + 1] + 0.11f * p.rgb[i + 2];
        q.rgb[i] = std::sqrt(l);
        q.rgb[i + 1] = p.rgb[i + 2];
        q.rgb[i + 2] = 1.0f - p.rgb[i];
    }
    return q;
}

// The mean colour of rows [from, from + rows).
std::vector<double> meancolour(const Picture &p, int from, int rows) {
    std::vector<double> mean(3);
    const size_t n = static_cast<size_t>(p.w * rows);
    for (size_t i = static_cast<size_t>(from * p.w); i < static_cast<size_t>(from * p.w) + n; ++i)
        for (size_t c = 0; c < 3; ++c) mean[c] += p.rgb[i * 3 + c] / static_cast<double>(n);
    return mean;
}

TEST(Gallery, EveryTwoPicturesDifferInCompositionAndTallOnesFromTopToBottom) {
    std::vector<Picture> pics;
    std::vector<std::vector<double>> maps;
    for (const mkdata::GalleryEntry &e : mkdata::gallery) {
        pics.push_back(load(e));
        maps.push_back(edgemap(pics.back(), 0));
    }
    for (size_t i = 0; i < pics.size(); ++i) {
        const Picture &p = pics[i];
        EXPECT_GT(likeness(maps[i], edgemap(recoloured(p), 0)), SAME + 0.1)
            << mkdata::gallery[i].path << ": the measure must see through a recolouring";
        for (size_t j = i + 1; j < pics.size(); ++j)
            EXPECT_LT(likeness(maps[i], maps[j]), SAME)
                << mkdata::gallery[i].path << " and " << mkdata::gallery[j].path << " share a composition";
        // A tall picture shows something else at the bottom than at the top: in layout, and not merely the
        // same layout in other colours.
        const int band = p.w * 3 / 4, bottom = p.h - band;
        if (bottom <= 0) continue;
        EXPECT_LT(likeness(maps[i], edgemap(p, bottom)), SAME) << mkdata::gallery[i].path;
        const std::vector<double> a = meancolour(p, 0, band), b = meancolour(p, bottom, band);
        EXPECT_GT(std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]), 0.1)
            << mkdata::gallery[i].path;
    }
}

} // namespace
