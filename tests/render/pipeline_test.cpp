// Frame pipeline: the view matrix, back-face test, rasteriser choice, environment coordinates, the light,
// and the shared vertex normals.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "helpers.h"
#include "math/math3d.h"

namespace {

// One object of triangles, its point lists sized 2V + F.
struct mesh {
    std::vector<d3point> pts, dest;
    std::vector<face> faces;
    std::vector<float> uv;
    object o{};
    mesh(const std::vector<d3point> &verts, const std::vector<std::array<int, 3>> &tris, int flags,
         uint32_t *tex) {
        const size_t V = verts.size(), F = tris.size();
        pts.assign(2 * V + F, d3point{});
        dest.assign(2 * V + F, d3point{});
        std::copy(verts.begin(), verts.end(), pts.begin());
        for (auto &t : tris) {
            face f{};
            f.count = 3;
            f.index[0] = t[0];
            f.index[1] = t[1];
            f.index[2] = t[2];
            f.flags = flags;
            f.texture = tex;
            faces.push_back(f);
        }
        uv.assign(2 * V, 0.5f);
        o.numverts = int(V);
        o.numfaces = int(F);
        o.points = pts.data();
        o.destpoints = dest.data();
        o.faces = faces.data();
        o.mapcoords = uv.data();
        o.nummapcoords = int(V);
    }
    // View space equals object space: the eye at the origin looking along +z.
    void toview() {
        float m[4][4];
        putidentityinmatrix(m);
        muldestcoordswithrotmat(&o, m);
    }
};

std::vector<uint32_t> tex = coordtexture();
material mat{nullptr, 1, nullptr, nullptr, 1.0f, 1.0f};

struct Pipeline : testing::Test {
    void SetUp() override {
        if (!TRIBUFFER) inittribuffer();
        initplanes();
        whichtri = whichindex = 0;
        THESPOT = spot{};
    }
};

// A triangle facing the eye at depth 20, drawn with the given flags.
mesh facing(int flags) {
    mesh m({{-3, -3, 20, 0}, {3, -3, 20, 0}, {0, 4, 20, 0}}, {{{0, 1, 2}}}, flags, tex.data());
    initnormals(&m.o);
    m.toview();
    return m;
}

} // namespace

TEST_F(Pipeline, CameraMatrixLooksAlongItsTarget) {
    float m[4][4];
    makecameramatrix(camera{{0, 0, -10, 0}, {0, 0, 0, 0}, 0}, m);
    const float want[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 10}, {0, 0, 0, 1}};
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) EXPECT_FLOAT_EQ(m[r][c], want[r][c]) << r << c;

    makecameramatrix(camera{{3, 4, 5, 0}, {-7, 1, 20, 0}, 0}, m);
    const float tx = -7, ty = 1, tz = 20; // the target lands on the +z axis
    const float vx = m[0][0] * tx + m[0][1] * ty + m[0][2] * tz + m[0][3];
    const float vy = m[1][0] * tx + m[1][1] * ty + m[1][2] * tz + m[1][3];
    EXPECT_NEAR(vx, 0, 1e-4);
    EXPECT_NEAR(vy, 0, 1e-4);

    // Straight down and straight up: a fixed up direction, never NaN.
    for (float dy : {-10.0f, 10.0f}) {
        makecameramatrix(camera{{1, 2, 3, 0}, {1, 2 + dy, 3, 0}, 0}, m);
        for (int r = 0; r < 3; r++) {
            float len = 0;
            for (int c = 0; c < 3; c++) {
                ASSERT_TRUE(std::isfinite(m[r][c]));
                len += m[r][c] * m[r][c];
            }
            EXPECT_NEAR(len, 1, 1e-5);
        }
        EXPECT_FLOAT_EQ(m[1][2], 1.0f); // up is the world's +z axis
    }
}

TEST_F(Pipeline, BackFacesAndEdgeOnFacesAreCulled) {
    mesh m = facing(1);
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
    const struct {
        int flags;
        drawfunc draw;
    } cases[] = {
        {1 | 512, plottmaptri}, {256 | 512, plotgtmaptri}, {512 | 2, plottranstmaptri}, {2 | 32, plottmaptri},
        {32, plottranstmaptri}, {1 | 256, plottmaptri},    {8 | 16 | 4, nullptr},       {0, nullptr}};
    for (auto &c : cases) {
        whichtri = whichindex = 0;
        mesh m = facing(c.flags);
        backfaceprocessobject(&m.o, &mat);
        if (!c.draw) {
            EXPECT_EQ(whichindex, 0) << c.flags;
            continue;
        }
        ASSERT_EQ(whichindex, 1) << c.flags;
        EXPECT_EQ(sortedtri[0]->draw, c.draw) << c.flags;
    }
}

TEST_F(Pipeline, EnvironmentCoordinatesOfANormalFacingTheEye) {
    mesh m = facing(2);
    for (int k = 0; k < 3; k++) EXPECT_FLOAT_EQ(m.dest[3 + k].z, -1.0f);
    backfaceprocessobject(&m.o, &mat);
    ASSERT_EQ(whichindex, 1);
    for (int k = 0; k < 3; k++) {
        EXPECT_FLOAT_EQ(sortedtri[0]->uw[k] / sortedtri[0]->w[k], 127.0f);
        EXPECT_FLOAT_EQ(sortedtri[0]->vw[k] / sortedtri[0]->w[k], 127.0f);
    }
}

TEST_F(Pipeline, MeshCoordinatesAreScaledByTheMaterial) {
    mesh m = facing(1);
    material scaled{nullptr, 1, nullptr, nullptr, 2.0f, 0.5f};
    backfaceprocessobject(&m.o, &scaled);
    ASSERT_EQ(whichindex, 1);
    EXPECT_FLOAT_EQ(sortedtri[0]->uw[0] / sortedtri[0]->w[0], 255.0f);
    EXPECT_FLOAT_EQ(sortedtri[0]->vw[0] / sortedtri[0]->w[0], 63.75f);
}

TEST_F(Pipeline, TheLightColoursGouraudFacesAndItsAbsenceDrawsPlainTexture) {
    mesh g = facing(256);
    backfaceprocessobject(&g.o, &mat);
    frame a;
    drawtribuffer(a.bytes());

    whichtri = whichindex = 0;
    mesh p = facing(1);
    backfaceprocessobject(&p.o, &mat);
    frame b;
    drawtribuffer(b.bytes());
    EXPECT_EQ(a.px, b.px);

    // A light behind the eye: direction towards it is -z in view space, straight at the face.
    spot lights[2] = {};
    lights[1].position = d3point{0, 0, -100, 0};
    world w{};
    w.numlights = 2;
    w.lights = lights;
    putidentityinmatrix(cameramatrix);
    setspotfromworld(w);
    EXPECT_FLOAT_EQ(THESPOT.direction.z, -1.0f);
    EXPECT_GT(THESPOT.colour.x, 0.0f);
    whichtri = whichindex = 0;
    backfaceprocessobject(&g.o, &mat);
    frame c;
    drawtribuffer(c.bytes());
    const uint32_t lit = c.at(160, 118), bare = b.at(160, 118);
    ASSERT_NE(bare, 0u);
    // The colour steps carry half a unit of upward rounding per pixel: a few units across the face.
    for (int ch = 0; ch < 3; ch++) {
        const uint32_t want = ((bare >> (8 * ch)) & 255) + uint32_t(THESPOT.colour.x);
        EXPECT_GE((lit >> (8 * ch)) & 255, std::min(255u, want));
        EXPECT_LE((lit >> (8 * ch)) & 255, std::min(255u, want + 3));
    }

    w.numlights = 1; // only the reserved entry: no light
    setspotfromworld(w);
    EXPECT_EQ(THESPOT.colour.x, 0.0f);
}

namespace {

// The all-pairs definition of the vertex normals, as reference.
void allpairs(object *o, std::vector<d3point> &out) {
    const int V = o->numverts, F = o->numfaces;
    out.assign(size_t(V), d3point{});
    for (int j = 0; j < V; j++) {
        float sx = 0, sy = 0, sz = 0;
        int count = 0;
        for (int f = 0; f < F; f++)
            for (int c = 0; c < 3; c++)
                if (equalpoints(o->points[o->faces[f].index[c]], o->points[j])) {
                    const d3point &n = o->points[2 * V + f];
                    sx += n.x;
                    sy += n.y;
                    sz += n.z;
                    count++;
                }
        out[size_t(j)] = o->points[V + j];
        if (!count) continue;
        const float ic = 1.0f / float(count);
        sx *= ic;
        sy *= ic;
        sz *= ic;
        const float inv = 1.0f / std::sqrt(sx * sx + sy * sy + sz * sz);
        out[size_t(j)] = d3point{sx * inv, sy * inv, sz * inv, 0};
    }
}

} // namespace

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
            const int base = (x < N / 2 ? 0 : N * N), a = base + y * N + x;
            tris.push_back({a, a + N, a + 1});
            tris.push_back({a + 1, a + N, a + N + 1});
        }
    verts.push_back({50, 50, 50, 0}); // used by no face
    mesh m(verts, tris, 1, tex.data());
    const int V = m.o.numverts;
    m.pts[size_t(V + V - 1)] = d3point{0.25f, 0.5f, 0.75f, 0};
    initnormals(&m.o);
    std::vector<d3point> want;
    allpairs(&m.o, want);
    for (int j = 0; j < V; j++) {
        ASSERT_EQ(m.pts[size_t(V + j)].x, want[size_t(j)].x) << j;
        ASSERT_EQ(m.pts[size_t(V + j)].y, want[size_t(j)].y) << j;
        ASSERT_EQ(m.pts[size_t(V + j)].z, want[size_t(j)].z) << j;
    }
    EXPECT_EQ(m.pts[size_t(2 * V - 1)].y, 0.5f); // the isolated vertex keeps what it had
    for (int f = 0; f < m.o.numfaces; f++) EXPECT_EQ(m.faces[size_t(f)].normalindex, 2 * V + f);
}

TEST(Normals, SeamVerticesShareOneNormalAndFlatFacesAddNothing) {
    // Two faces of a roof meeting at the ridge, the ridge vertices duplicated for a texture seam.
    mesh m({{0, 0, 0, 0},
            {0, 1, 1, 0},
            {0, 0, 2, 0},
            {1, 0, 0, 0},
            {0, 1, 1, 0},
            {1, 0, 2, 0},
            {5, 5, 5, 0},
            {5, 5, 5, 0},
            {5, 5, 5, 0}},
           {{{0, 1, 2}}, {{3, 5, 4}}, {{6, 7, 8}}}, 1, tex.data());
    initnormals(&m.o);
    const int V = 9;
    EXPECT_EQ(m.pts[V + 1].x, m.pts[V + 4].x);
    EXPECT_EQ(m.pts[V + 1].y, m.pts[V + 4].y);
    EXPECT_NEAR(std::hypot(m.pts[V + 1].x, m.pts[V + 1].y, m.pts[V + 1].z), 1.0f, 1e-6f);
    EXPECT_EQ(m.pts[2 * V + 2].x, 0.0f); // no area: a zero normal, not NaN
    EXPECT_FALSE(std::isnan(m.pts[V + 6].x));
    EXPECT_EQ(find3dtop(&m.o, 0), 0); // y 0, 1, 0: the first lowest corner
    EXPECT_EQ(equalpoints({0, 0, 0, 0}, {0.0049f, -0.0049f, 0, 0}), 1);
    EXPECT_EQ(equalpoints({0, 0, 0, 0}, {0.005f, 0, 0, 0}), 0);
}
