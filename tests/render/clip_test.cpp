// View-volume clipping: the planes, the plane clips, the ear cutting and the seam correction.
#include <gtest/gtest.h>

#include "helpers.h"

namespace {

struct ClipTest : testing::Test {
    std::vector<uint32_t> tex = coordtexture();
    td3point out[CLIPVERTS];
    int tris[CLIPVERTS][3];
    void SetUp() override {
        if (!TRIBUFFER) inittribuffer();
        initplanes();
        whichtri = whichindex = 0;
    }
};

td3point vp(float x, float y, float z, float u = 0, float v = 0) {
    return td3point{x, y, z, u, v};
}

} // namespace

TEST_F(ClipTest, FacesBeforeTheNearOrBeyondTheFarPlaneAreDropped) {
    // Only the last, at depth 10, takes a record.
    td3point tris[3][3] = {{vp(0, 0, 0.005f), vp(1, 0, 0.001f), vp(0, 1, -3)},
                           {vp(0, 0, 60000), vp(1, 0, 70000), vp(0, 1, 65000)},
                           {vp(-1, -1, 10), vp(1, -1, 10), vp(0, 1, 10)}};
    for (auto &t : tris) cliptmappoly(t, polyinfo{1, tex.data(), plottmaptri});
    EXPECT_EQ(whichtri, 1);
    EXPECT_EQ(whichindex, 1);
    EXPECT_EQ(sortedtri[0]->depth, 10);
}

TEST_F(ClipTest, PositiveZeroDistanceIsOutsideAndNegativeZeroInside) {
    // The first vertex lies exactly on the near plane: distance -z + 0.005 = +0.0.
    td3point in[3] = {vp(0, 0, 0.005f, 7, 8), vp(1, 0, 1), vp(0, 1, 1)};
    ASSERT_TRUE(td3clip(in, out, 3, voor));
    ASSERT_EQ(d3outnumverts, 4);
    EXPECT_EQ(out[0].z, 0.005f); // the intersection sits at the vertex itself
    EXPECT_EQ(out[0].u, 7.0f);
    EXPECT_NEAR(out[3].z, 0.005f, 1e-7f);

    td3point neg[3] = {vp(-1, -1, -0.0f), vp(-1, -1, -1), vp(-2, -1, -1)};
    ASSERT_TRUE(td3clip(neg, out, 3, plane{0, 0, 1, -0.0f}));
    EXPECT_EQ(d3outnumverts, 3);
}

TEST_F(ClipTest, EarCuttingOrder) {
    ASSERT_EQ(cutears(4, tris), 2);
    EXPECT_EQ((std::vector<int>{tris[1][0], tris[1][1], tris[1][2]}), (std::vector<int>{2, 3, 0}));
    ASSERT_EQ(cutears(5, tris), 3);
    const int pent[3][3] = {{0, 1, 2}, {2, 3, 4}, {4, 0, 2}};
    for (int k = 0; k < 3; k++)
        for (int c = 0; c < 3; c++) EXPECT_EQ(tris[k][c], pent[k][c]) << k;
    EXPECT_EQ(cutears(9, tris), 7);
}

TEST(Seam, WrapsOnlyWithItsFlagBit) {
    face f{};
    object o{};
    o.faces = &f;
    td3point t[3] = {vp(0, 0, 1, 0.95f, 0.2f), vp(0, 0, 1, 0.9f, 0.1f), vp(0, 0, 1, 0.05f, 0.95f)};
    checkwrapping(&o, 0, t);
    EXPECT_EQ(t[2].u, 0.05f);
    f.flags = 8;
    checkwrapping(&o, 0, t);
    EXPECT_FLOAT_EQ(t[0].u, 0.95f);
    EXPECT_FLOAT_EQ(t[2].u, 1.05f);
    EXPECT_EQ(t[2].v, 0.95f); // v has its own bit
    f.flags = 16;
    checkwrapping(&o, 0, t);
    EXPECT_FLOAT_EQ(t[0].v, 1.2f);
    EXPECT_FLOAT_EQ(t[1].v, 1.1f);
}

// Every scale, the 320 x 240 frame among them: its size, its projection and a view volume whose side planes
// pass through the edges of the 320 x 240 frame.
TEST_F(ClipTest, EveryScaleKeepsTheViewOf320x240) {
    for (int n = 1; n <= MAXSCALE; n++) {
        const renderframe f = makerenderframe(n);
        EXPECT_EQ(f.width, 320 * n);
        EXPECT_EQ(f.pitch, 1280L * n);
        EXPECT_NEAR(f.proj, proj * float(n), 1e-3f * float(n));
        // A point the scale-1 view puts at (x, y) lands at (n x + dx, n y + dy), whole pixels dx, dy,
        // such that the middle pixel of each n x n block shows what the scale-1 pixel shows.
        EXPECT_EQ(f.xsize, float(160 * n + n / 2 + 1 - n));
        EXPECT_EQ(f.ysize, float(120 * n + n / 2));
        // The view volume is that of the 320 x 240 frame: a point on one of its edges, placed in the
        // larger frame, lies on the plane of that edge (within rounding).
        const float z = 10.0f, dx = f.xsize - 160.0f * float(n), dy = f.ysize - 120.0f * float(n);
        auto at = [&](float sx, float sy) {
            return td3point{(sx * float(n) + dx - f.xsize) * z / f.proj,
                            (f.ysize - sy * float(n) - dy) * z / f.proj, z, 0, 0};
        };
        const std::pair<const plane *, td3point> edges[4] = {
            {&f.links, at(0, 33)}, {&f.rechts, at(320, 77)}, {&f.boven, at(91, 0)}, {&f.onder, at(50, 240)}};
        for (const auto &[p, v] : edges) EXPECT_NEAR(p->a * v.x + p->b * v.y + p->c * v.z, 0.0f, 1e-4f) << n;
    }
}

TEST_F(ClipTest, TheLargestTrianglesAtScaleEightCoverWhat320x240Covers) {
    // Faces far larger than the view, flat and at a steep slant into the distance, with texture
    // coordinates spanning many tiles: after clipping they reach every edge of the frame, so every edge
    // slope, texel step and row address is as large as the frame allows. (That nothing lands outside the
    // frame, whatever the coordinates, the rasteriser's own test shows at this scale.)
    const renderframe f = makerenderframe(MAXSCALE), f1 = makerenderframe(1);
    constexpr uint32_t MARK = 0x5A5A5A5Au; // byte 3 of a texel is 0: no texel is the marker
    std::vector<uint32_t> block(size_t(f.width) * size_t(f.height)), small(320 * 240);
    unsigned char *screen = reinterpret_cast<unsigned char *>(block.data());
    // The slanted ones lie in the planes z = 1 + 1.9 x and z = 1 - 1.99 y, partly behind the eye.
    auto slant = [](float x, float y, float u, float v) { return vp(x, y, 1.0f + 1.9f * x, u, v); };
    auto tilt = [](float x, float y, float u, float v) { return vp(x, y, 1.0f - 1.99f * y, u, v); };
    const td3point faces[][3] = {
        {vp(-5e4f, -5e4f, 200, 0, 0), vp(5e4f, -5e4f, 200, 30000, 0), vp(0, 9e4f, 200, 0, 30000)},
        {slant(-1e4f, -1e5f, 0, 0), slant(-1e4f, 1e5f, 30000, 0), slant(50, 0, 0, 30000)},
        {tilt(-1e5f, 1e4f, -9000, 0), tilt(1e5f, 1e4f, 9000, 7), tilt(0, -50, 0, -9000)}};
    auto draw = [&](const td3point face[3], drawfunc fn, const renderframe &fr, unsigned char *to) {
        whichtri = whichindex = 0;
        if (fn == plotgtmaptri) {
            gtd3point g[3];
            for (int k = 0; k < 3; k++)
                g[k] = {face[k].x, face[k].y, face[k].z, face[k].u, face[k].v, 255, 9, 0};
            clipgtmappoly(g, polyinfo{256, tex.data(), fn}, fr);
        } else {
            td3point t[3] = {face[0], face[1], face[2]};
            cliptmappoly(t, polyinfo{1, tex.data(), fn}, fr);
        }
        EXPECT_GT(whichindex, 0);
        drawtribuffer(to, fr);
    };
    for (size_t n = 0; n < std::size(faces); n++) {
        for (drawfunc fn : {plottmaptri, plottranstmaptri, plotgtmaptri}) {
            std::fill(block.begin(), block.end(), MARK);
            std::fill(small.begin(), small.end(), MARK);
            draw(faces[n], fn, f, screen);
            draw(faces[n], fn, f1, reinterpret_cast<unsigned char *>(small.data()));
            // What is covered is what the 320 x 240 frame covers, eight times larger: the pixel at the
            // middle of each block agrees but for the pixels along the edges.
            long drawn = 0, differ = 0;
            for (int y = 0; y < 240; y++)
                for (int x = 0; x < 320; x++) {
                    const bool big = block[size_t(8 * y + 4) * size_t(f.width) + size_t(8 * x + 4)] != MARK;
                    drawn += big;
                    differ += big != (small[size_t(y) * 320 + size_t(x)] != MARK);
                }
            EXPECT_LE(differ, 2 * (320 + 240)) << n;
            // The flat face fills the frame but for the top row and the last column, which the drawing
            // rules leave at either size.
            if (n == 0) {
                EXPECT_EQ(drawn, 239 * 319);
            }
        }
    }
}
