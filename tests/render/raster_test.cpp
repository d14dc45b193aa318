// Rasterisers: triangle set-up (vertex order, flat tops, slivers, the fixed-point conversions), which pixels
// a triangle covers, the 16-pixel runs, wrap-around, the pixel operations, packed and plain paths giving the
// same bytes, and no write outside the frame at any scale.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "helpers.h"

namespace {

const std::vector<uint32_t> coords = coordtexture();
const std::vector<uint32_t> white(65536, 0xffffff);

// Whether the convex polygon p covers pixel (x, r) by the drawing rule: rows ceil(top) <= r < ceil(bottom),
// columns trunc(left x at r) <= x < trunc(right x at r). nearedge marks pixels too close to call.
bool covered(const std::vector<td3point> &p, int x, int r, bool &nearedge) {
    float lo = 1e9f, hi = -1e9f;
    int hits = 0;
    for (size_t e = 0; e < p.size(); e++) {
        const td3point &a = p[e], &b = p[(e + 1) % p.size()];
        if ((r >= a.y && r < b.y) || (r >= b.y && r < a.y)) {
            const float xe = a.x + (b.x - a.x) * (float(r) - a.y) / (b.y - a.y);
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

TEST(Raster, CoverageFollowsTheRowAndColumnRuleWithNoGapOrOverlapAtSharedEdges) {
    // A triangle with its long edge on the left, in both vertex orders; flat tops with either vertex first,
    // and one whose two upper vertices round to the same first row; a flat bottom; one whose rows all round
    // together (nothing drawn); and a quadrilateral drawn as the fan (0, 1, 2), (0, 2, 3). A row too many or
    // too few shows as pixels the rule does not cover or misses.
    const std::vector<td3point> shapes[] = {
        {sv(30.3f, 12.7f), sv(250.6f, 80.4f), sv(90.2f, 200.9f)},
        {sv(90.2f, 200.9f), sv(250.6f, 80.4f), sv(30.3f, 12.7f)},
        {sv(200.5f, 5.4f), sv(20.3f, 5.4f), sv(110.2f, 150.6f)},
        {sv(20.3f, 5.4f), sv(200.5f, 5.4f), sv(110.2f, 150.6f)},
        {sv(10, 5.2f), sv(200, 5.9f), sv(150, 100.5f)},
        {sv(100.4f, 30.2f), sv(250.5f, 170.7f), sv(20.6f, 170.7f)},
        {sv(10, 10.2f), sv(100, 10.5f), sv(50, 10.9f)},
        {sv(10.3f, 20.7f), sv(200.2f, 15.1f), sv(230.6f, 190.4f), sv(5.5f, 160.2f)}};
    for (auto &p : shapes) {
        std::vector<int> hits(320 * 240, 0);
        for (size_t k = 1; k + 1 < p.size(); k++) {
            frame f;
            ASSERT_TRUE(drawone(p[0], p[k], p[k + 1], white.data(), plottmaptri, f));
            for (size_t i = 0; i < hits.size(); i++) hits[i] += f.px[i] != 0;
        }
        int wrong = 0, twice = 0;
        for (int r = 0; r < 240; r++)
            for (int x = 0; x < 320; x++) {
                const int h = hits[size_t(r) * 320 + size_t(x)];
                bool nearedge = false;
                twice += h > 1;
                if ((h > 0) != covered(p, x, r, nearedge) && !nearedge) wrong++;
            }
        EXPECT_EQ(wrong, 0) << (&p - shapes);
        EXPECT_EQ(twice, 0) << (&p - shapes);
    }
}

// Row by row and across the 16-pixel runs the texture steps one texel a pixel; u and v wrap every 256
// texels, whatever their sign.
TEST(Raster, RunsOf15_16And17PixelsStepTheTextureWithoutJumpsAndCoordinatesWrapEvery256Texels) {
    for (int width : {15, 16, 17, 33})
        for (float du : {0.0f, 256.0f, -256.0f, 512.0f}) {
            // A rectangle's upper half: row 0 is width pixels wide, u = x - 40 + du, v = 5 + 2 du.
            frame f;
            const float x1 = 40.0f + float(width), v = 5 + 2 * du;
            ASSERT_TRUE(drawone(sv(40, 0, du, v), sv(x1, 0, float(width) + du, v), sv(40, 100, du, v),
                                coords.data(), plottmaptri, f));
            int drawn = 0;
            for (int y = 0; y < 100; y++)
                for (int x = 0; x < 320; x++)
                    if (f.at(x, y)) {
                        ASSERT_EQ(f.at(x, y), 0x800500u | uint32_t(x - 40)) << width << " " << du << " " << x;
                        drawn += y == 0;
                    }
            EXPECT_EQ(drawn, width) << du;
        }
}

// Each mapper's packed form against its plain one, over random triangles that reach past every side of the
// area (clipped runs, long spans, short spans of every length), each on a random background, with Gouraud
// colours below 0 and past 255 (the packed form clamps and saturates by its instructions); the transparent
// one also halves, with the background, exactly the texels the texture mapper draws.
TEST(Raster, EveryMapperPackedAndPlainGiveTheSameBytes) {
    EXPECT_EQ(transpixel(0xffffffff, 0xffffffff), 0x00fefefeu);
    EXPECT_EQ(transpixel(0x00102030, 0x00000001), 0x00081018u);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> X(-40, 360), Y(-30, 270), C(-50, 400), U(-300, 600), W(0.01f, 2);
    std::uniform_int_distribution<uint32_t> B;
    const drawfunc mappers[][2] = {{plottmaptri, plottmaptriplain},
                                   {plottranstmaptri, plottranstmaptriplain},
                                   {plotgtmaptri, plotgtmaptriplain}};
    for (const auto &m : mappers)
        for (int k = 0; k < 300; k++) {
            gtd3point p[3];
            for (auto &v : p) v = {X(rng), Y(rng), W(rng), U(rng), U(rng), C(rng), C(rng), C(rng)};
            td3point q[3];
            for (int j = 0; j < 3; j++) q[j] = {p[j].x, p[j].y, p[j].z, p[j].u, p[j].v};
            textmapclip a{};
            if (!(m[0] == plotgtmaptri ? calcgtmapdeltas(p, &a) : calctmapdeltas(q, &a))) continue;
            a.texture = const_cast<uint32_t *>(coords.data());
            textmapclip b = a, c = a;
            frame fa, fb, opaque;
            for (size_t i = 0; i < fa.px.size(); i++) fa.px[i] = fb.px[i] = B(rng);
            const frame background = fa;
            m[0](&a, fa.bytes(), frame320);
            m[1](&b, fb.bytes(), frame320);
            ASSERT_EQ(fa.px, fb.px) << "mapper " << (&m - mappers) << ", triangle " << k;
            if (m[0] != plottranstmaptri) continue;
            plottmaptri(&c, opaque.bytes()); // every texel of this texture is non-zero
            for (size_t i = 0; i < fa.px.size(); i++)
                ASSERT_EQ(fa.px[i],
                          opaque.px[i] ? transpixel(opaque.px[i], background.px[i]) : background.px[i])
                    << "triangle " << k << " pixel " << i;
        }
}

TEST(Raster, NothingIsWrittenOutsideTheAreaWhateverTheCoordinates) {
    // The area sits inside a larger block whose margins must stay untouched: the 320 x 240 frame and the
    // largest, eight times as wide and high.
    constexpr size_t margin = 64 * 1024;
    for (const int scale : {1, MAXSCALE}) {
        const renderframe fr = makerenderframe(scale);
        const float n = float(scale);
        const float bad[] = {NAN,   INFINITY, -INFINITY,  1e30f,      -1e30f,    1e6f,
                             -1e6f, -0.7f,    320.4f * n, 239.6f * n, 160.0f * n};
        std::mt19937 rng(5);
        std::vector<uint32_t> block(margin + size_t(fr.width) * size_t(fr.height) + margin, 0x55555555u);
        for (int k = 0; k < 3000 / scale; k++) {
            gtd3point g[3];
            for (auto &v : g)
                v = {
                    bad[rng() % 11], bad[rng() % 11], 1, float(rng() % 300), float(rng() % 300), 300, 20, -9};
            for (drawfunc d : {plottmaptri, plottranstmaptri, plotgtmaptri}) {
                textmapclip t{};
                td3point p[3];
                for (int i = 0; i < 3; i++) p[i] = {g[i].x, g[i].y, g[i].z, g[i].u, g[i].v};
                gtd3point q[3] = {g[0], g[1], g[2]};
                t.texture = const_cast<uint32_t *>(coords.data());
                if (!(d == plotgtmaptri ? calcgtmapdeltas(q, &t) : calctmapdeltas(p, &t))) continue;
                d(&t, reinterpret_cast<unsigned char *>(block.data() + margin), fr);
                EXPECT_EQ(t.currow, t.lastrow);
            }
        }
        for (size_t i = 0; i < margin; i++) {
            ASSERT_EQ(block[i], 0x55555555u) << i;
            ASSERT_EQ(block[block.size() - 1 - i], 0x55555555u) << i;
        }
    }
}

#if SHOWCASE_SSE2
TEST(Raster, PackedCeilingMatchesTheScalarOneForEveryKindOfValue) {
    std::vector<float> values = {0.0f,           -0.0f,          0.5f,          -0.5f,
                                 1.0f,           -1.0f,          16777215.5f,   16777217.0f,
                                 -16777217.0f,   2147483520.0f,  2147483648.0f, -2147483520.0f,
                                 -2147483648.0f, -2147483904.0f, 1e20f,         -1e20f,
                                 INFINITY,       -INFINITY,      NAN,           1e-40f,
                                 -1e-40f};
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> small(-70000.0f, 70000.0f);
    for (int k = 0; k < 4000; k++) values.push_back(small(rng));
    for (int k = 0; k < 4000; k++) values.push_back(std::ldexp(small(rng), int(rng() % 40) - 20));
    for (size_t k = 0; k + 4 <= values.size(); k += 4) {
        alignas(16) int32_t got[4];
        _mm_store_si128(reinterpret_cast<__m128i *>(got), ceil32x4(_mm_loadu_ps(&values[k])));
        for (size_t j = 0; j < 4; j++) ASSERT_EQ(got[j], ceil32(values[k + j])) << values[k + j];
    }
}
#endif

// The rows a triangle covers follow from its set-up (the coverage test above); the fixed-point x is what
// no pixel shows on its own.
TEST(Setup, FixedPointRoundsUpARecordDrawsOnceSliversKeepItsGradientsAndFlatTrianglesAreRejected) {
    textmapclip t{};
    td3point p[3] = {sv(10.0f, 0.5f), sv(30, 20), sv(5, 20.5f)};
    ASSERT_TRUE(calctmapdeltas(p, &t));
    EXPECT_EQ(t.vx[0], 10 * 65536 + 1);
    t.texture = const_cast<uint32_t *>(white.data());
    frame once, twice;
    plottmaptri(&t, once.bytes());
    plottmaptri(&t, twice.bytes());
    EXPECT_TRUE(once.px != frame().px && twice.px == frame().px);

    t.duwdx = 123.0f;
    t.dwdx = 6.0f;
    td3point sliver[3] = {sv(10, 0, 0, 0), sv(10.5f, 50, 9, 9), sv(10, 100, 3, 3)};
    ASSERT_TRUE(calctmapdeltas(sliver, &t));
    EXPECT_EQ(t.duwdx, 123.0f);
    EXPECT_EQ(t.dwdx, 6.0f);

    td3point flat[3] = {sv(1, 7), sv(9, 7), sv(30, 7)};
    EXPECT_EQ(calctmapdeltas(flat, &t), nullptr);
}
