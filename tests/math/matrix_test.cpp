// Matrices: the camera product, the point-list transform and the turn about the vertical axis.
#include "math/math3d.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

void fill(float m[4][4], float start) {
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) m[r][c] = start + float(4 * r + c) * 0.5f;
}

TEST(Matrix, CameraIsAppliedFromTheLeft) {
    fill(cameramatrix, 1.0f);
    float m[4][4], a[4][4];
    fill(m, -3.0f);
    m[1][2] = 7.25f;
    std::memcpy(a, m, sizeof a);
    addcameratomatrix(m);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            float s = 0.0f; // summed in k order from zero
            for (int k = 0; k < 4; k++) s += cameramatrix[i][k] * a[k][j];
            EXPECT_EQ(m[i][j], s) << i << "," << j;
        }
}

TEST(Matrix, TransformWritesPositionsAffineAndNormalsWithoutTranslation) {
    // 3 vertices, 3 vertex normals and 2 face normals, and one entry past the list that must stay.
    std::vector<d3point> src(9), dst(9, d3point{99, 99, 99, 99});
    std::vector<face> faces(2);
    for (size_t i = 0; i < src.size(); i++)
        src[i] = {float(i) + 0.5f, float(i) * -1.25f + 2.0f, 3.0f - float(i) * 0.75f, 0.0f};
    object o{};
    o.numverts = 3;
    o.numfaces = 2;
    o.points = src.data();
    o.destpoints = dst.data();
    o.faces = faces.data();
    float m[4][4];
    fill(m, 0.25f);
    muldestcoordswithrotmat(&o, m);
    for (size_t i = 0; i < 8; i++) {
        const d3point &s = src[i];
        float out[3];
        for (int r = 0; r < 3; r++) {
            out[r] = (m[r][1] * s.y + m[r][0] * s.x) + m[r][2] * s.z;
            if (i < 3) out[r] = out[r] + m[r][3];
        }
        EXPECT_EQ((std::array{dst[i].x, dst[i].y, dst[i].z}), (std::array{out[0], out[1], out[2]})) << i;
    }
    EXPECT_EQ(dst[8].x, 99.0f);
}

TEST(Matrix, TurnAboutTheVerticalAxis) {
    // The show's angle tables: 256 steps of 2 x 3.14 / 256 radians, in double, stored as float.
    float sintab[256], costab[256];
    for (int i = 0; i < 256; i++) {
        sintab[i] = float(std::sin(i * 0.00390625 * 2.0 * 3.14));
        costab[i] = float(std::cos(i * 0.00390625 * 2.0 * 3.14));
    }
    float m[4][4], old[4][4];
    fill(m, 1.0f);
    std::memcpy(old, m, sizeof m);
    addytomatrix(m, 64, sintab, costab);
    const float c = costab[64], s = sintab[64];
    EXPECT_NE(c, 0.0f); // 3.14 is not pi: a quarter "turn" is not exact
    for (int col = 0; col < 4; col++) {
        const bool turned = col < 3; // the translation column and the last row stay
        EXPECT_EQ(m[0][col], turned ? c * old[0][col] + s * old[2][col] : old[0][col]);
        EXPECT_EQ(m[2][col], turned ? -s * old[0][col] + c * old[2][col] : old[2][col]);
        EXPECT_EQ(m[1][col], old[1][col]);
        EXPECT_EQ(m[3][col], old[3][col]);
    }
    // Angles wrap every 256 units; angle 0 (cos 1, sin 0) changes nothing.
    float a[4][4], b[4][4];
    fill(a, 2.0f);
    fill(b, 2.0f);
    addytomatrix(a, 256 + 17, sintab, costab);
    addytomatrix(b, 17, sintab, costab);
    EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
    fill(a, 2.0f);
    fill(b, 2.0f);
    addytomatrix(a, 512, sintab, costab);
    EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
}

} // namespace
