// Triangle set-up: vertex order, flat tops, slivers and the fixed-point conversions.
#include <gtest/gtest.h>

#include "helpers.h"

TEST(Setup, OrdersTopRightLeftAndMarksFlatTops) {
    const struct {
        td3point p[3];
        float x[3]; // screen x of vertices 0 (top), 1 (right), 2 (left) after set-up
        int flattop;
    } cases[] = {
        {{sv(50, 10), sv(20, 60), sv(80, 70)}, {50, 80, 20}, 0},
        {{sv(50, 10), sv(80, 70), sv(20, 60)}, {50, 80, 20}, 0},
        // Equal heights exchange: the second vertex comes first.
        {{sv(20, 5), sv(10, 5), sv(15, 15)}, {10, 20, 15}, 1},
        {{sv(10, 5), sv(20, 5), sv(15, 15)}, {20, 15, 10}, -1},
        {{sv(10, 5.2f), sv(20, 5.9f), sv(15, 15)}, {10, 20, 15}, 1}, // same first row
    };
    for (auto &c : cases) {
        textmapclip t{};
        td3point p[3] = {c.p[0], c.p[1], c.p[2]};
        ASSERT_EQ(calctmapdeltas(p, &t), &t);
        for (int k = 0; k < 3; k++) EXPECT_EQ(p[k].x, c.x[k]) << c.p[0].x << " " << k;
        EXPECT_EQ(t.flattop, c.flattop) << c.p[0].x;
    }
}

TEST(Setup, FixedPointRoundsUpAndFlatTrianglesAreRejected) {
    textmapclip t{};
    td3point p[3] = {sv(10.0f, 0.5f), sv(30, 20), sv(5, 20.5f)};
    ASSERT_TRUE(calctmapdeltas(p, &t));
    EXPECT_EQ(t.vx[0], 10 * 65536 + 1);
    EXPECT_EQ(t.vrow[0], 1);
    EXPECT_EQ(t.vrow[2], 21);
    EXPECT_EQ(t.currow, 1);
    EXPECT_EQ(t.lastrow, 21);
    EXPECT_EQ(t.spare, 0);

    td3point flat[3] = {sv(1, 7), sv(9, 7), sv(30, 7)};
    EXPECT_EQ(calctmapdeltas(flat, &t), nullptr);
}

TEST(Setup, SliversKeepTheRecordsHorizontalGradients) {
    textmapclip t{};
    t.duwdx = 123.0f;
    t.dwdx = 6.0f;
    td3point p[3] = {sv(10, 0, 0, 0), sv(10.5f, 50, 9, 9), sv(10, 100, 3, 3)};
    ASSERT_TRUE(calctmapdeltas(p, &t));
    EXPECT_EQ(t.duwdx, 123.0f);
    EXPECT_EQ(t.dwdx, 6.0f);
}

TEST(Setup, GouraudColourStepsAreTimes128RoundedUp) {
    textmapclip t{};
    gtd3point p[3] = {{0, 0, 1, 0, 0, 0, 0, 0}, {100, 100, 1, 0, 0, 100, 0, 300}, {0, 100, 1, 0, 0, 0, 0, 0}};
    ASSERT_TRUE(calcgtmapdeltas(p, &t));
    EXPECT_EQ(t.dcoldx[0], 128 + 1); // 1 per pixel x 128 + 0.5, rounded up
    EXPECT_EQ(t.dcoldx[1], 1);
    EXPECT_EQ(t.dcoldx[2], 3 * 128 + 1);
    EXPECT_FLOAT_EQ(t.edgedcol[0][0], 1.0f);
}
