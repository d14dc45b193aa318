// Matrices: the camera product, the point-list transform and the turn about the vertical axis.
#include "math/math3d.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <array>
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

// The turn only looks its angle up, modulo 256, in the tables it is given: any tables will do.
TEST(Matrix, TurnAboutTheVerticalAxis) {
    float sintab[256], costab[256];
    for (int i = 0; i < 256; i++) sintab[i] = float(i) * 0.003f, costab[i] = 1.0f - float(i) * 0.002f;
    for (int angle : {64, 256 + 64, 512}) {
        float m[4][4], old[4][4];
        fill(m, 1.0f);
        std::memcpy(old, m, sizeof m);
        addytomatrix(m, angle, sintab, costab);
        const float c = costab[angle % 256], s = sintab[angle % 256];
        for (int col = 0; col < 4; col++) {
            const bool turned = col < 3; // the translation column and the last row stay
            EXPECT_EQ(m[0][col], turned ? c * old[0][col] + s * old[2][col] : old[0][col]) << angle;
            EXPECT_EQ(m[2][col], turned ? -s * old[0][col] + c * old[2][col] : old[2][col]) << angle;
            EXPECT_EQ(m[1][col], old[1][col]);
            EXPECT_EQ(m[3][col], old[3][col]);
        }
    }
}

} // namespace
