// Rasterisers: which pixels a triangle covers, the 16-pixel runs, wrap-around, the pixel operations,
// packed and plain paths giving the same bytes, and no write outside the 320 x 240 area.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "helpers.h"

namespace {

const std::vector<uint32_t> coords = coordtexture();
const std::vector<uint32_t> white(65536, 0xffffff);

// Pixels covered per the drawing rule: rows ceil(top) <= r < ceil(bottom), columns
// trunc(left x at r) <= x < trunc(right x at r), for a triangle given by three screen points.
bool covered(const float px[3], const float py[3], int x, int r, bool &nearedge) {
    float lo = 1e9f, hi = -1e9f;
    int hits = 0;
    for (int e = 0; e < 3; e++) {
        const float x0 = px[e], y0 = py[e], x1 = px[(e + 1) % 3], y1 = py[(e + 1) % 3];
        if ((r >= y0 && r < y1) || (r >= y1 && r < y0)) {
            const float xe = x0 + (x1 - x0) * (float(r) - y0) / (y1 - y0);
            lo = std::min(lo, xe);
            hi = std::max(hi, xe);
            hits++;
        }
    }
    if (hits < 2) return false;
    nearedge = std::fabs(lo - std::round(lo)) < 0.01f || std::fabs(hi - std::round(hi)) < 0.01f ||
               std::fabs(x - std::floor(lo)) < 1 || std::fabs(x - std::floor(hi)) < 1;
    return x >= std::floor(lo) && x < std::floor(hi);
}

} // namespace

TEST(Raster, CoverageFollowsTheRowAndColumnRule) {
    const float px[3] = {30.3f, 250.6f, 90.2f}, py[3] = {12.7f, 80.4f, 200.9f};
    frame f;
    ASSERT_TRUE(drawone(sv(px[0], py[0]), sv(px[1], py[1]), sv(px[2], py[2]), white.data(), plottmaptri, f));
    int wrong = 0;
    for (int r = 0; r < 240; r++)
        for (int x = 0; x < 320; x++) {
            bool nearedge = false;
            const bool want = covered(px, py, x, r, nearedge);
            if ((f.at(x, r) != 0) != want && !nearedge) wrong++;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(f.at(100, 12), 0u); // row 12 lies above the top
    EXPECT_NE(f.at(100, 100), 0u);
}

TEST(Raster, TrianglesSharingAnEdgeLeaveNoGapAndNoOverlap) {
    const td3point q[4] = {sv(10.3f, 20.7f), sv(200.2f, 15.1f), sv(230.6f, 190.4f), sv(5.5f, 160.2f)};
    frame a, b;
    ASSERT_TRUE(drawone(q[0], q[1], q[2], white.data(), plottmaptri, a));
    ASSERT_TRUE(drawone(q[2], q[3], q[0], white.data(), plottmaptri, b));
    int both = 0, gaps = 0, rows = 0;
    for (int r = 0; r < 240; r++) {
        int first = -1, last = -1, count = 0;
        for (int x = 0; x < 320; x++) {
            const bool ia = a.at(x, r) != 0, ib = b.at(x, r) != 0;
            both += ia && ib;
            if (ia || ib) {
                if (first < 0) first = x;
                last = x;
                count++;
            }
        }
        if (count) {
            rows++;
            gaps += count != last - first + 1;
        }
    }
    EXPECT_EQ(both, 0);
    EXPECT_EQ(gaps, 0);
    EXPECT_EQ(rows, 191 - 16);
}

TEST(Raster, RunsOf15_16And17PixelsStepTheTextureWithoutJumps) {
    for (int width : {15, 16, 17, 33}) {
        // A rectangle's upper half: rows 0..9 are width pixels wide at their top, u = x.
        frame f;
        const float x0 = 40.0f, x1 = 40.0f + float(width);
        ASSERT_TRUE(drawone(sv(x0, 0, 0, 5), sv(x1, 0, float(width), 5), sv(x0, 100, 0, 5), coords.data(),
                            plottmaptri, f));
        int drawn = 0;
        for (int x = 0; x < 320; x++)
            if (f.at(x, 0)) {
                EXPECT_EQ(f.at(x, 0) & 0xff, uint32_t(x - 40)) << "width " << width << " x " << x;
                EXPECT_EQ((f.at(x, 0) >> 8) & 0xff, 5u);
                drawn++;
            }
        EXPECT_EQ(drawn, width);
    }
}

TEST(Raster, TextureCoordinatesWrapEvery256Texels) {
    for (float du : {0.0f, 256.0f, -256.0f, 512.0f}) {
        frame f;
        const float u = 3.5f + du, v = 7.5f + 2 * du;
        ASSERT_TRUE(
            drawone(sv(10, 10, u, v), sv(300, 40, u, v), sv(50, 230, u, v), coords.data(), plottmaptri, f));
        EXPECT_EQ(f.at(100, 100), 0x800703u) << du;
        EXPECT_EQ(f.at(250, 60), 0x800703u) << du;
    }
}

TEST(Raster, TransparentPixelsHalveBothAndClearTheTopByte) {
    EXPECT_EQ(transpixel(0xffffffff, 0xffffffff), 0x00fefefeu);
    EXPECT_EQ(transpixel(0x00102030, 0x00000001), 0x00081018u);
    frame f;
    std::fill(f.px.begin(), f.px.end(), 0xffffffffu);
    ASSERT_TRUE(drawone(sv(10, 10), sv(100, 20), sv(30, 90), white.data(), plottranstmaptri, f));
    EXPECT_EQ(f.at(40, 40), 0x00fefefeu);
    EXPECT_EQ(f.at(5, 5), 0xffffffffu);
}

TEST(Raster, GouraudPixelsAddTheClampedColourWithSaturation) {
    const uint16_t none[4] = {0, 0, 0, 0};
    EXPECT_EQ(gouraudpixel(0x00123456, none), 0x00123456u);
    const uint16_t full[4] = {uint16_t(255.5f * 128), 0, 0, 0}; // 255.5 in blue
    EXPECT_EQ(gouraudpixel(0x00000000, full) & 0xff, 0xffu);
    EXPECT_EQ(gouraudpixel(0x000000ff, full) & 0xff, 0xffu);
    const uint16_t sat[4] = {uint16_t(100 * 128), uint16_t(100 * 128), uint16_t(-5 * 128), 0};
    EXPECT_EQ(gouraudpixel(0x00c8c8c8, sat), 0x00c8ffffu);
    const uint16_t big[4] = {0x8000, 0x8000, 0x8000, 0}; // a colour of 256 or more: -32768 adds nothing
    EXPECT_EQ(gouraudpixel(0x00405060, big), 0x00405060u);

    std::mt19937 rng(3);
    for (int k = 0; k < 20000; k++) {
        const uint32_t t = rng();
        const uint16_t cw[4] = {uint16_t(rng()), uint16_t(rng()), uint16_t(rng()), uint16_t(rng())};
        ASSERT_EQ(gouraudpixel(t, cw), gouraudpixelplain(t, cw));
    }
}

TEST(Raster, GouraudTrianglesPackedAndPlainGiveTheSameBytes) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> X(-40, 360), Y(-30, 270), C(-50, 400), U(-300, 600), W(0.01f, 2);
    for (int k = 0; k < 300; k++) {
        gtd3point p[3];
        for (auto &v : p) v = {X(rng), Y(rng), W(rng), U(rng), U(rng), C(rng), C(rng), C(rng)};
        textmapclip a{}, b{};
        gtd3point q[3] = {p[0], p[1], p[2]};
        a.texture = b.texture = const_cast<uint32_t *>(coords.data());
        if (!calcgtmapdeltas(p, &a)) continue;
        calcgtmapdeltas(q, &b);
        frame fa, fb;
        plotgtmaptri(&a, fa.bytes());
        plotgtmaptriplain(&b, fb.bytes());
        ASSERT_EQ(fa.px, fb.px) << k;
    }
}

TEST(Raster, GouraudWithNoLightDrawsThePlainTextureMap) {
    // Spans under 128 pixels: the colour step of a colourless face is the half unit of upward rounding,
    // 1/128 per pixel, which reaches a whole unit only after 128 pixels.
    gtd3point g[3] = {
        {12, 8, 0.5f, 10, 20, 0, 0, 0}, {130, 70, 0.1f, 250, 30, 0, 0, 0}, {40, 220, 1, 5, 240, 0, 0, 0}};
    td3point p[3] = {{12, 8, 0.5f, 10, 20}, {130, 70, 0.1f, 250, 30}, {40, 220, 1, 5, 240}};
    textmapclip a{}, b{};
    a.texture = b.texture = const_cast<uint32_t *>(coords.data());
    ASSERT_TRUE(calcgtmapdeltas(g, &a));
    ASSERT_TRUE(calctmapdeltas(p, &b));
    frame fa, fb;
    plotgtmaptri(&a, fa.bytes());
    plottmaptri(&b, fb.bytes());
    EXPECT_EQ(fa.px, fb.px);
}

TEST(Raster, NothingIsWrittenOutsideTheAreaWhateverTheCoordinates) {
    // The area sits inside a larger block whose margins must stay untouched.
    constexpr size_t margin = 64 * 1024;
    const float bad[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 1e6f, -1e6f, -0.7f, 320.4f, 239.6f, 160.0f};
    std::mt19937 rng(5);
    std::vector<uint32_t> block(margin + 320 * 240 + margin, 0x55555555u);
    unsigned char *area = reinterpret_cast<unsigned char *>(block.data() + margin);
    for (int k = 0; k < 3000; k++) {
        td3point p[3];
        for (auto &v : p) v = sv(bad[rng() % 11], bad[rng() % 11], float(rng() % 300), float(rng() % 300), 1);
        for (drawfunc d : {plottmaptri, plottranstmaptri, plotgtmaptri}) {
            textmapclip t{};
            td3point q[3] = {p[0], p[1], p[2]};
            t.texture = const_cast<uint32_t *>(coords.data());
            if (d == plotgtmaptri) {
                gtd3point g[3];
                for (int i = 0; i < 3; i++) g[i] = {q[i].x, q[i].y, q[i].z, q[i].u, q[i].v, 300, 20, -9};
                if (!calcgtmapdeltas(g, &t)) continue;
            } else if (!calctmapdeltas(q, &t)) {
                continue;
            }
            d(&t, area);
            EXPECT_EQ(t.currow, t.lastrow);
        }
    }
    for (size_t i = 0; i < margin; i++) {
        ASSERT_EQ(block[i], 0x55555555u) << i;
        ASSERT_EQ(block[block.size() - 1 - i], 0x55555555u) << i;
    }
}

TEST(Raster, ARecordDrawsOnceAndRowsRoundingTogetherDrawNothing) {
    frame f;
    textmapclip t{};
    td3point p[3] = {sv(10, 10.2f), sv(100, 10.5f), sv(50, 10.9f)};
    t.texture = const_cast<uint32_t *>(white.data());
    ASSERT_TRUE(calctmapdeltas(p, &t));
    EXPECT_EQ(t.currow, t.lastrow);
    plottmaptri(&t, f.bytes());
    for (uint32_t px : f.px) ASSERT_EQ(px, 0u);

    td3point q[3] = {sv(10, 10), sv(100, 20), sv(50, 90)};
    ASSERT_TRUE(calctmapdeltas(q, &t));
    plottmaptri(&t, f.bytes());
    std::fill(f.px.begin(), f.px.end(), 0u);
    plottmaptri(&t, f.bytes());
    for (uint32_t px : f.px) ASSERT_EQ(px, 0u);
}
