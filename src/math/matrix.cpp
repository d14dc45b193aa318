#include "math/math3d.h"

#include "scene/scene.h"

#include <cstring>

float cameramatrix[4][4];

void putidentityinmatrix(float m[4][4]) {
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) m[r][c] = r == c ? 1.0f : 0.0f;
}

void addcameratomatrix(float m[4][4]) {
    float t[4][4];
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            float s = 0.0f;
            for (int k = 0; k < 4; k++) s += cameramatrix[i][k] * m[k][j];
            t[i][j] = s;
        }
    std::memcpy(m, t, sizeof t);
}

void muldestcoordswithrotmat(object *o, float m[4][4]) {
    const int v = o->numverts;
    const int total = 2 * v + o->numfaces;
    const d3point *src = o->points;
    d3point *dst = o->destpoints;
    for (int i = 0; i < v; i++) {
        const float x = src[i].x, y = src[i].y, z = src[i].z;
        dst[i].x = (m[0][1] * y + m[0][0] * x) + m[0][2] * z + m[0][3];
        dst[i].y = (m[1][1] * y + m[1][0] * x) + m[1][2] * z + m[1][3];
        dst[i].z = (m[2][1] * y + m[2][0] * x) + m[2][2] * z + m[2][3];
        dst[i].w = 0.0f;
    }
    // Normals are directions: no translation.
    for (int i = v; i < total; i++) {
        const float x = src[i].x, y = src[i].y, z = src[i].z;
        dst[i].x = (m[0][1] * y + m[0][0] * x) + m[0][2] * z;
        dst[i].y = (m[1][1] * y + m[1][0] * x) + m[1][2] * z;
        dst[i].z = (m[2][1] * y + m[2][0] * x) + m[2][2] * z;
        dst[i].w = 0.0f;
    }
}

void addytomatrix(float m[4][4], int angle, const float *sintable, const float *costable) {
    const float c = costable[angle & 255];
    const float s = sintable[angle & 255];
    for (int col = 0; col < 3; col++) {
        const float r0 = m[0][col], r2 = m[2][col];
        m[0][col] = c * r0 + s * r2;
        m[2][col] = -s * r0 + c * r2;
    }
}
