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
    void clip(td3point a, td3point b, td3point c) {
        td3point tri[3] = {a, b, c};
        cliptmappoly(tri, polyinfo{1, tex.data(), plottmaptri});
    }
};

td3point vp(float x, float y, float z, float u = 0, float v = 0) {
    return td3point{x, y, z, u, v};
}

} // namespace

TEST_F(ClipTest, PlanesAndProjectionFor320x240) {
    EXPECT_FLOAT_EQ(proj, 320.91034f);
    const plane want[6] = {{0, 0.93665636f, -0.35024974f, 0.005f},
                           {0.89493436f, 0, -0.44619784f, 0.005f},
                           {0, -0.93665636f, -0.35024974f, 0.005f},
                           {-0.89493436f, 0, -0.44619784f, 0.005f},
                           {0, 0, -1, 0.005f},
                           {0, 0, 1, -60000}};
    const plane *got[6] = {&boven, &rechts, &onder, &links, &voor, &achter};
    for (int k = 0; k < 6; k++) {
        EXPECT_NEAR(got[k]->a, want[k].a, 1e-7f) << k;
        EXPECT_NEAR(got[k]->b, want[k].b, 1e-7f) << k;
        EXPECT_NEAR(got[k]->c, want[k].c, 1e-7f) << k;
        EXPECT_EQ(got[k]->d, want[k].d) << k;
    }
}

TEST_F(ClipTest, FacesBeforeTheNearOrBeyondTheFarPlaneAreDropped) {
    clip(vp(0, 0, 0.005f), vp(1, 0, 0.001f), vp(0, 1, -3));
    clip(vp(0, 0, 60000), vp(1, 0, 70000), vp(0, 1, 65000));
    EXPECT_EQ(whichtri, 0);
    clip(vp(-1, -1, 10), vp(1, -1, 10), vp(0, 1, 10));
    EXPECT_EQ(whichindex, 1);
    EXPECT_EQ(sortedtri[0]->depth, 10);
}

TEST_F(ClipTest, TriangleCrossingASidePlaneBecomesTwoTriangles) {
    td3point in[3] = {vp(0, 0, 10), vp(20, 0, 10), vp(0, 2, 10)};
    ASSERT_TRUE(td3clip(in, out, 3, rechts));
    EXPECT_EQ(d3outnumverts, 4);
    for (int k = 0; k < 4; k++)
        EXPECT_LT(rechts.a * out[k].x + rechts.b * out[k].y + rechts.c * out[k].z + rechts.d, 1e-4f);
    clip(in[0], in[1], in[2]);
    EXPECT_EQ(whichtri, 2);
    EXPECT_EQ(whichindex, 2);
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
