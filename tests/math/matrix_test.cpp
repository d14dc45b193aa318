// Matrices: identity, the camera product, the point-list transform and the turn about the vertical axis.
#include "math/math3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The show's angle tables: 256 steps of 2 x 3.14 / 256 radians, in double, stored as float.
struct tables {
    float sin[256], cos[256];
    tables() {
        for (int i = 0; i < 256; i++) {
            const double a = i * 0.00390625 * 2.0 * 3.14;
            sin[i] = float(std::sin(a));
            cos[i] = float(std::cos(a));
        }
    }
};
const tables T;

void fill(float m[4][4], float start) {
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) m[r][c] = start + float(4 * r + c) * 0.5f;
}

TEST(Matrix, IdentityWritesAllSixteen) {
    float m[4][4];
    std::memset(m, 0x7F, sizeof m);
    putidentityinmatrix(m);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) EXPECT_EQ(m[r][c], r == c ? 1.0f : 0.0f);
}

TEST(Matrix, CameraIsAppliedFromTheLeft) {
    fill(cameramatrix, 1.0f);
    float m[4][4];
    fill(m, -3.0f);
    m[1][2] = 7.25f;
    float a[4][4];
    std::memcpy(a, m, sizeof a);
    addcameratomatrix(m);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            float s = 0.0f;
            for (int k = 0; k < 4; k++) s += cameramatrix[i][k] * a[k][j];
            EXPECT_EQ(m[i][j], s) << i << "," << j;
        }
    // On an identity matrix the product is the camera matrix itself.
    putidentityinmatrix(m);
    addcameratomatrix(m);
    EXPECT_EQ(std::memcmp(m, cameramatrix, sizeof m), 0);
}

struct testobject {
    std::vector<d3point> src, dst;
    std::vector<face> faces;
    object o{};
    testobject(int v, int f) : src(size_t(2 * v + f) + 1), dst(size_t(2 * v + f) + 1), faces(size_t(f)) {
        o.numverts = v;
        o.numfaces = f;
        o.points = src.data();
        o.destpoints = dst.data();
        o.faces = faces.data();
        for (size_t i = 0; i < src.size(); i++)
            src[i] = {float(i) + 0.5f, float(i) * -1.25f + 2.0f, 3.0f - float(i) * 0.75f, 0.0f};
        dst.back() = {99, 99, 99, 99}; // one past the list: must stay
    }
};

TEST(Matrix, TransformWritesPositionsAffineAndNormalsWithoutTranslation) {
    testobject t(3, 2);
    float m[4][4];
    fill(m, 0.25f);
    m[3][0] = m[3][1] = m[3][2] = 0.0f;
    m[3][3] = 1.0f;
    muldestcoordswithrotmat(&t.o, m);
    for (int i = 0; i < 8; i++) {
        const d3point &s = t.src[size_t(i)];
        const bool position = i < 3;
        float out[3];
        for (int r = 0; r < 3; r++) {
            out[r] = (m[r][1] * s.y + m[r][0] * s.x) + m[r][2] * s.z;
            if (position) out[r] = out[r] + m[r][3];
        }
        EXPECT_EQ(t.dst[size_t(i)].x, out[0]) << i;
        EXPECT_EQ(t.dst[size_t(i)].y, out[1]) << i;
        EXPECT_EQ(t.dst[size_t(i)].z, out[2]) << i;
    }
    EXPECT_EQ(t.dst[8].x, 99.0f);
}

TEST(Matrix, CameraThenTransformEqualsTheCameraOnEachPoint) {
    testobject t(4, 1);
    fill(cameramatrix, 0.125f);
    float m[4][4];
    putidentityinmatrix(m);
    addcameratomatrix(m);
    muldestcoordswithrotmat(&t.o, m);
    for (int i = 0; i < 4; i++) {
        const d3point &s = t.src[size_t(i)];
        const float x = (cameramatrix[0][1] * s.y + cameramatrix[0][0] * s.x) + cameramatrix[0][2] * s.z +
                        cameramatrix[0][3];
        EXPECT_EQ(t.dst[size_t(i)].x, x);
    }
}

TEST(Matrix, TurnAboutTheVerticalAxis) {
    float m[4][4];
    fill(m, 1.0f);
    float old[4][4];
    std::memcpy(old, m, sizeof m);
    addytomatrix(m, 64, T.sin, T.cos);
    const float c = T.cos[64], s = T.sin[64];
    EXPECT_NE(c, 0.0f); // 3.14 is not pi: a quarter "turn" is not exact
    EXPECT_NE(s, 1.0f);
    for (int col = 0; col < 3; col++) {
        EXPECT_EQ(m[0][col], c * old[0][col] + s * old[2][col]);
        EXPECT_EQ(m[2][col], -s * old[0][col] + c * old[2][col]);
        EXPECT_EQ(m[1][col], old[1][col]);
    }
    // Translation and the last row stay.
    for (int r = 0; r < 3; r++) EXPECT_EQ(m[r][3], old[r][3]);
    for (int c2 = 0; c2 < 4; c2++) EXPECT_EQ(m[3][c2], old[3][c2]);

    // Angles wrap every 256 units.
    float a[4][4], b[4][4], z[4][4];
    fill(a, 2.0f);
    std::memcpy(b, a, sizeof a);
    std::memcpy(z, a, sizeof a);
    addytomatrix(a, 256 + 17, T.sin, T.cos);
    addytomatrix(b, 17, T.sin, T.cos);
    EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
    addytomatrix(z, 512, T.sin, T.cos);
    float id[4][4];
    fill(id, 2.0f);
    EXPECT_EQ(std::memcmp(z, id, sizeof z), 0); // angle 0: cos 1, sin 0
}

} // namespace
