// Frame pipeline: the view matrix, back-face test, rasteriser choice, environment coordinates, the light,
// the shared vertex normals, and the triangle buffer (hand-out limit, depth key, the order of the sort).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "helpers.h"
#include "math/math3d.h"

namespace {

std::vector<uint32_t> tex = coordtexture();
material mat{nullptr, 1, nullptr, nullptr, 1.0f, 1.0f};

// One object of triangles, its point lists sized 2V + F, every vertex mapped at (0.5, 0.5).
struct mesh {
    std::vector<d3point> pts, dest;
    std::vector<face> faces;
    std::vector<float> uv;
    object o{};
    mesh(const std::vector<d3point> &verts, const std::vector<std::array<int, 3>> &tris, int flags) {
        const size_t V = verts.size();
        pts = verts;
        pts.resize(2 * V + tris.size(), d3point{});
        dest = pts;
        for (auto &t : tris) faces.push_back(face{3, {t[0], t[1], t[2]}, 0, tex.data(), 0, flags});
        uv.assign(2 * V, 0.5f);
        o.numverts = o.nummapcoords = int(V);
        o.numfaces = int(tris.size());
        o.points = pts.data();
        o.destpoints = dest.data();
        o.faces = faces.data();
        o.mapcoords = uv.data();
    }
};

struct Pipeline : testing::Test {
    void SetUp() override {
        if (!TRIBUFFER) inittribuffer();
        initplanes();
        whichtri = whichindex = 0;
        THESPOT = spot{};
    }
    // A triangle facing the eye at depth 20 with the given flags, in view space (the eye at the origin
    // looking along +z), queued for drawing.
    mesh facing(int flags, material *m = &mat) {
        whichtri = whichindex = 0;
        mesh f({{-3, -3, 20, 0}, {3, -3, 20, 0}, {0, 4, 20, 0}}, {{{0, 1, 2}}}, flags);
        initnormals(&f.o);
        float id[4][4];
        putidentityinmatrix(id);
        muldestcoordswithrotmat(&f.o, id);
        if (m) backfaceprocessobject(&f.o, m);
        return f;
    }
};

textmapclip recs[64];

// Lists records 0.. with the given keys and sorts them.
void sortkeys(const std::vector<int> &keys) {
    for (whichindex = 0; whichindex < int(keys.size()); whichindex++) {
        recs[whichindex].depth = keys[size_t(whichindex)];
        sortedtri[whichindex] = &recs[whichindex];
    }
    qsorttribuffer(0, whichindex - 1);
}

} // namespace

// Where the camera looks shows in the reference scene's frame; straight down and straight up it needs a
// fixed up direction (the world's +z axis), never NaN.
TEST_F(Pipeline, CameraMatrixLookingStraightUpOrDownStaysWhole) {
    float m[4][4];
    for (float dy : {-10.0f, 10.0f}) {
        makecameramatrix(camera{{1, 2, 3, 0}, {1, 2 + dy, 3, 0}, 0}, m);
        for (int r = 0; r < 3; r++)
            EXPECT_NEAR(std::hypot(m[r][0], m[r][1], m[r][2]), 1, 1e-5) << dy << " row " << r;
        EXPECT_FLOAT_EQ(m[1][2], 1.0f);
    }
}

TEST_F(Pipeline, BackFacesAndEdgeOnFacesAreCulled) {
    mesh m = facing(1, nullptr);
    EXPECT_EQ(backfacecull(&m.o, 0), 1);
    m.dest[2 * 3] = d3point{0, 0, 1, 0}; // normal pointing away
    EXPECT_EQ(backfacecull(&m.o, 0), 0);
    m.dest[0] = d3point{0, 3, 0, 0}; // eye in the face's plane: dot product 0
    m.dest[2 * 3] = d3point{0, 0, -1, 0};
    EXPECT_EQ(backfacecull(&m.o, 0), 0);
    m.dest[2 * 3] = d3point{NAN, 0, 0, 0};
    EXPECT_EQ(backfacecull(&m.o, 0), 0);
}

TEST_F(Pipeline, TheFirstMappingBitInOrderChoosesTheRasteriser) {
    const std::pair<int, drawfunc> cases[] = {
        {1 | 512, plottmaptri}, {256 | 512, plotgtmaptri}, {512 | 2, plottranstmaptri}, {2 | 32, plottmaptri},
        {32, plottranstmaptri}, {1 | 256, plottmaptri},    {8 | 16 | 4, nullptr},       {0, nullptr}};
    for (auto [flags, draw] : cases) {
        facing(flags);
        ASSERT_EQ(whichindex, draw ? 1 : 0) << flags;
        EXPECT_EQ(whichindex ? sortedtri[0]->draw : nullptr, draw) << flags;
    }
}

// Environment coordinates show in the reference scene's frame; a material's map scale in none.
TEST_F(Pipeline, MeshCoordinatesTakeTheMaterialsScale) {
    material scaled{nullptr, 1, nullptr, nullptr, 2.0f, 0.5f};
    facing(1, &scaled);
    ASSERT_EQ(whichindex, 1);
    EXPECT_FLOAT_EQ(sortedtri[0]->uw[0] / sortedtri[0]->w[0], 255.0f);
    EXPECT_FLOAT_EQ(sortedtri[0]->vw[0] / sortedtri[0]->w[0], 63.75f);
}

// How a light colours Gouraud faces shows in the reference scene's frame; without one they draw the plain
// texture, and a world with only the reserved entry has none.
TEST_F(Pipeline, WithoutALightGouraudFacesDrawThePlainTexture) {
    frame bare, dark;
    facing(1);
    drawtribuffer(bare.bytes());
    world w{};
    spot lights[1] = {};
    w.numlights = 1;
    w.lights = lights;
    THESPOT.colour = d3point{9, 9, 9, 0};
    setspotfromworld(w);
    facing(256);
    drawtribuffer(dark.bytes());
    EXPECT_NE(bare.at(160, 118), 0u);
    EXPECT_TRUE(dark.px == bare.px);
}

TEST(Normals, GridMatchesGiveTheSameNormalsAsEveryPairTested) {
    // A bumpy grid whose rows are split at a seam (duplicate vertices jittered by less than 0.005) and
    // with points 0.004 to 0.006 apart, around the match distance.
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> jitter(-0.0024f, 0.0024f);
    std::vector<d3point> verts;
    std::vector<std::array<int, 3>> tris;
    const int N = 24;
    for (int copy = 0; copy < 2; copy++)
        for (int y = 0; y < N; y++)
            for (int x = 0; x < N; x++)
                verts.push_back({float(x) * 0.0051f + (copy ? jitter(rng) : 0),
                                 std::sin(float(x + y)) * 0.01f, float(y) * 0.3f + (copy ? jitter(rng) : 0),
                                 0});
    for (int y = 0; y + 1 < N; y++)
        for (int x = 0; x + 1 < N; x++) {
            const int a = (x < N / 2 ? 0 : N * N) + y * N + x;
            tris.push_back({a, a + N, a + 1});
            tris.push_back({a + 1, a + N, a + N + 1});
        }
    verts.push_back({50, 50, 50, 0}); // used by no face: keeps what it had
    mesh m(verts, tris, 1);
    const int V = m.o.numverts, F = m.o.numfaces;
    m.pts[size_t(2 * V - 1)] = d3point{0.25f, 0.5f, 0.75f, 0};
    initnormals(&m.o);

    // The all-pairs definition: the mean of the normals of every face corner matching the vertex,
    // normalised.
    for (int j = 0; j < V; j++) {
        float s[3] = {0, 0, 0};
        int count = 0;
        for (int f = 0; f < F; f++)
            for (int c = 0; c < 3; c++)
                if (equalpoints(m.pts[size_t(m.faces[size_t(f)].index[c])], m.pts[size_t(j)])) {
                    const d3point &n = m.pts[size_t(2 * V + f)];
                    s[0] += n.x, s[1] += n.y, s[2] += n.z, count++;
                }
        d3point want = j == V - 1 ? d3point{0.25f, 0.5f, 0.75f, 0} : d3point{};
        if (count) {
            for (float &c : s) c *= 1.0f / float(count);
            const float inv = 1.0f / std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
            want = d3point{s[0] * inv, s[1] * inv, s[2] * inv, 0};
        }
        const d3point &got = m.pts[size_t(V + j)];
        ASSERT_TRUE(got.x == want.x && got.y == want.y && got.z == want.z) << j;
    }
}

// Seam vertices sharing one normal is the grid test's own case above.
TEST(Normals, FlatFacesAddNothingAndTheMatchDistanceIsUnderFiveThousandths) {
    // Two faces of a roof meeting at the ridge, the ridge vertices duplicated for a texture seam, and a
    // face with no area.
    const std::vector<d3point> roof = {{0, 0, 0, 0}, {0, 1, 1, 0}, {0, 0, 2, 0}, {1, 0, 0, 0}, {0, 1, 1, 0},
                                       {1, 0, 2, 0}, {5, 5, 5, 0}, {5, 5, 5, 0}, {5, 5, 5, 0}};
    mesh m(roof, {{{0, 1, 2}}, {{3, 5, 4}}, {{6, 7, 8}}}, 1);
    initnormals(&m.o);
    const int V = 9;
    EXPECT_EQ(m.pts[2 * V + 2].x, 0.0f); // no area: a zero normal, not NaN
    EXPECT_FALSE(std::isnan(m.pts[V + 6].x));
    EXPECT_EQ(find3dtop(&m.o, 0), 0); // y 0, 1, 0: the first lowest corner
    EXPECT_EQ(equalpoints({0, 0, 0, 0}, {0.0049f, -0.0049f, 0, 0}), 1);
    EXPECT_EQ(equalpoints({0, 0, 0, 0}, {0.005f, 0, 0, 0}), 0);
}

TEST(TriBuffer, SortPutsFarthestFirstWithTiesInThePartitionsOrder) {
    // Worked by hand through the partition steps: keys 1, 3, 3, 2 end as records 1, 2, 3, 0; keys 5, 5, 5:
    // the first exchange swaps the outer two, then the left pair: 2, 1, 0 -> 1, 2, 0.
    sortkeys({1, 3, 3, 2});
    EXPECT_EQ(std::vector<textmapclip *>(sortedtri, sortedtri + 4),
              (std::vector<textmapclip *>{&recs[1], &recs[2], &recs[3], &recs[0]}));
    sortkeys({5, 5, 5});
    EXPECT_EQ(sortedtri[2], &recs[0]);
    sortkeys({}); // an empty frame sorts nothing and touches no record

    std::mt19937 rng(7);
    for (int round = 0; round < 50; round++) {
        std::vector<int> keys(64);
        for (int &k : keys) k = int(rng() % 9) - 4 + (round % 2 ? int(rng()) : 0);
        sortkeys(keys);
        for (int k = 1; k < whichindex; k++) ASSERT_GE(sortedtri[k - 1]->depth, sortedtri[k]->depth);
        std::vector<textmapclip *> seen(sortedtri, sortedtri + whichindex);
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
    }
}

TEST(TriBuffer, DepthKeyRoundsTheMeanUpwards) {
    EXPECT_EQ(depthkey(1.0f, 2.0f, 3.0f), 2);
    EXPECT_EQ(depthkey(1.0f, 1.0f, 1.5f), 2);
    EXPECT_EQ(depthkey(-3.0f, -3.0f, -4.0f), -3);
    EXPECT_EQ(depthkey(NAN, 1.0f, 1.0f), INT32_MIN);
}

TEST(TriBufferDeathTest, RunningOutOfRecordsEndsWithALineNamingTheLimit) {
    inittribuffer();
    whichtri = 0;
    for (int k = 0; k < 4999; k++) ASSERT_EQ(gettextmapclip(), &TRIBUFFER[k]);
    EXPECT_EXIT(gettextmapclip(), testing::ExitedWithCode(1), "more than 4999 triangles");
    whichtri = 0;
}
