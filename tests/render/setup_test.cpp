// Triangle set-up: vertex order, flat tops, slivers and the fixed-point conversions.
#include <gtest/gtest.h>

#include "helpers.h"

TEST(Setup, OrdersTopRightLeft) {
    textmapclip t{};
    td3point p[3] = {sv(50, 10), sv(20, 60), sv(80, 70)}; // top, left, right
    ASSERT_EQ(calctmapdeltas(p, &t), &t);
    EXPECT_EQ(p[0].x, 50);
    EXPECT_EQ(p[1].x, 80);
    EXPECT_EQ(p[2].x, 20);
    EXPECT_EQ(t.currow, 10);
    EXPECT_EQ(t.lastrow, 70);
    EXPECT_EQ(t.flattop, 0);

    td3point q[3] = {sv(50, 10), sv(80, 70), sv(20, 60)}; // already top, right, left
    ASSERT_TRUE(calctmapdeltas(q, &t));
    EXPECT_EQ(q[1].x, 80);
    EXPECT_EQ(q[2].x, 20);
}

TEST(Setup, FlatTopsAndTheExchangeOnEqualHeights) {
    textmapclip t{};
    td3point a[3] = {sv(20, 5), sv(10, 5), sv(15, 15)};
    ASSERT_TRUE(calctmapdeltas(a, &t));
    EXPECT_EQ(a[0].x, 10); // y 5, 5, 9: equal heights exchange, the second vertex comes first
    EXPECT_EQ(a[1].x, 20);
    EXPECT_EQ(t.flattop, 1);

    td3point b[3] = {sv(10, 5), sv(20, 5), sv(15, 15)};
    ASSERT_TRUE(calctmapdeltas(b, &t));
    EXPECT_EQ(b[2].x, 10); // the left top vertex ends as vertex 2
    EXPECT_EQ(t.flattop, -1);

    td3point c[3] = {sv(10, 5.2f), sv(20, 5.9f), sv(15, 15)}; // same first row
    ASSERT_TRUE(calctmapdeltas(c, &t));
    EXPECT_NE(t.flattop, 0);
}

TEST(Setup, FixedPointRoundsUpAndFlatTrianglesAreRejected) {
    textmapclip t{};
    td3point p[3] = {sv(10.0f, 0.5f), sv(30, 20), sv(5, 20.5f)};
    ASSERT_TRUE(calctmapdeltas(p, &t));
    EXPECT_EQ(t.vx[0], 10 * 65536 + 1);
    EXPECT_EQ(t.vrow[0], 1);
    EXPECT_EQ(t.vrow[2], 21);
    EXPECT_EQ(t.spare, 0);

    td3point flat[3] = {sv(1, 7), sv(9, 7), sv(30, 7)};
    EXPECT_EQ(calctmapdeltas(flat, &t), nullptr);
}

TEST(Setup, SliversKeepTheRecordsHorizontalGradients) {
    textmapclip t{};
    t.duwdx = 123.0f;
    t.dvwdx = 45.0f;
    t.dwdx = 6.0f;
    td3point p[3] = {sv(10, 0, 0, 0), sv(10.5f, 50, 9, 9), sv(10, 100, 3, 3)};
    ASSERT_TRUE(calctmapdeltas(p, &t));
    EXPECT_EQ(t.duwdx, 123.0f);
    EXPECT_EQ(t.dvwdx, 45.0f);
    EXPECT_EQ(t.dwdx, 6.0f);

    td3point wide[3] = {sv(10, 0, 0, 0), sv(60, 50, 50, 0), sv(10, 100, 0, 0)};
    ASSERT_TRUE(calctmapdeltas(wide, &t));
    EXPECT_FLOAT_EQ(t.duwdx, 1.0f);
    EXPECT_FLOAT_EQ(t.dwdx, 0.0f);
}

TEST(Setup, GouraudColourStepsAreTimes128RoundedUp) {
    textmapclip t{};
    gtd3point p[3] = {{0, 0, 1, 0, 0, 0, 0, 0}, {100, 100, 1, 0, 0, 100, 0, 300}, {0, 100, 1, 0, 0, 0, 0, 0}};
    ASSERT_TRUE(calcgtmapdeltas(p, &t));
    EXPECT_EQ(t.dcoldx[0], 128 + 1); // 1 per pixel x 128 + 0.5, rounded up
    EXPECT_EQ(t.dcoldx[1], 1);
    EXPECT_EQ(t.dcoldx[2], 3 * 128 + 1);
    EXPECT_FLOAT_EQ(t.edgedcol[0][0], 1.0f);
    EXPECT_FLOAT_EQ(t.col[1][2], 300.0f);
}
