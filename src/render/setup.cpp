// Triangle set-up: orders the three projected vertices (top, right, left), splits the long edge at the
// middle row, and fills the record with start values and per-row and per-pixel gradients.
#include <cmath>
#include <utility>

#include "render/rounding.h"
#include "render/tribuffer.h"

namespace {

inline float colour(const td3point &, int) {
    return 0.0f;
}
inline float colour(const gtd3point &p, int k) {
    return k == 0 ? p.c0 : k == 1 ? p.c1 : p.c2;
}

// After projection the third float of a vertex is w = 1/z.
template <bool G, class P> textmapclip *setup(P p[3], textmapclip *t) {
    if (p[0].y >= p[1].y) std::swap(p[0], p[1]);
    if (p[0].y >= p[2].y) std::swap(p[0], p[2]);
    // Both slopes from one division (the unused lanes divide 0 by 1).
    const v4 slopes =
        v4{p[1].x - p[0].x, p[2].x - p[0].x, 0.0f, 0.0f} / v4{p[1].y - p[0].y, p[2].y - p[0].y, 1.0f, 1.0f};
    if (slopes[1] > slopes[0]) std::swap(p[1], p[2]);
    const int bi = p[1].y >= p[2].y ? 1 : 2;
    const P &p0 = p[0], &pb = p[bi], &pm = p[3 - bi];

    // The reciprocal heights of the three edges and, in the fourth lane, of the long edge.
    const v4 edgere = 1.0f / v4{p[1].y - p[0].y, p[2].y - p[1].y, p[0].y - p[2].y, pb.y - p0.y};

    // The long edge, from vertex 0 to the bottom, cut at the middle vertex's height.
    const float r = edgere[3];
    const float h = pm.y - p0.y;
    const float xl = (pb.x - p0.x) * r * h + p0.x;
    const float uwl = (pb.u * pb.z - p0.u * p0.z) * r * h + p0.u * p0.z;
    const float vwl = (pb.v * pb.z - p0.v * p0.z) * r * h + p0.v * p0.z;
    const float wl = (pb.z - p0.z) * r * h + p0.z;
    float cl[3] = {};
    if constexpr (G)
        for (int k = 0; k < 3; k++) cl[k] = (colour(pb, k) - colour(p0, k)) * r * h + colour(p0, k);
    const float d = xl - pm.x;
    const float g = std::fabs(1.0f / d);

    // A triangle at most a pixel wide keeps the horizontal gradients its record already holds.
    if (d > 1.0f || d < -1.0f) {
        if (xl > pm.x) {
            t->dwdx = (wl - pm.z) * g;
            t->duwdx = (uwl - pm.u * pm.z) * g;
            t->dvwdx = (vwl - pm.v * pm.z) * g;
            if constexpr (G)
                for (int k = 0; k < 3; k++)
                    t->dcoldx[k] = ceil16((cl[k] - colour(pm, k)) * g * 128.0f + 0.5f);
        } else {
            t->dwdx = (pm.z - wl) * g;
            t->duwdx = (pm.u * pm.z - uwl) * g;
            t->dvwdx = (pm.v * pm.z - vwl) * g;
            if constexpr (G)
                for (int k = 0; k < 3; k++)
                    t->dcoldx[k] = ceil16((colour(pm, k) - cl[k]) * g * 128.0f + 0.5f);
        }
    }

    t->spare = 0;
    // The vertices' and edges' conversions four at a time (the fourth lane is unused).
    const i4 vx = ceil4(v4{p[0].x, p[1].x, p[2].x, 0.0f} * 65536.0f + 0.5f);
    const i4 vrow = ceil4(v4{p[0].y, p[1].y, p[2].y, 0.0f});
    for (int k = 0; k < 3; k++) {
        t->vx[k] = vx[k];
        t->vy[k] = p[k].y;
        t->vrow[k] = vrow[k];
        t->w[k] = p[k].z;
        t->uw[k] = p[k].u * p[k].z;
        t->vw[k] = p[k].v * p[k].z;
        if constexpr (G)
            for (int c = 0; c < 3; c++) t->col[k][c] = colour(p[k], c);
    }
    t->lastrow = vrow[bi];
    if (p[1].y == p[0].y && p[2].y == p[1].y) return nullptr;

    const i4 edgedx =
        ceil4(v4{p[1].x - p[0].x, p[2].x - p[1].x, p[0].x - p[2].x, 0.0f} * edgere * 65536.0f + 0.5f);
    for (int e = 0; e < 3; e++) {
        const P &s = p[e], &q = p[(e + 1) % 3];
        const float re = edgere[e];
        t->edgedx[e] = edgedx[e];
        t->edgedw[e] = (q.z - s.z) * re;
        t->edgeduw[e] = (q.u * q.z - s.u * s.z) * re;
        t->edgedvw[e] = (q.v * q.z - s.v * s.z) * re;
        if constexpr (G)
            for (int c = 0; c < 3; c++) t->edgedcol[e][c] = (colour(q, c) - colour(s, c)) * re;
    }

    t->flattop = 0;
    if (vrow[1] == vrow[0])
        t->flattop = 1;
    else if (vrow[0] == vrow[2])
        t->flattop = -1;
    t->currow = vrow[0];
    return t;
}

} // namespace

textmapclip *calctmapdeltas(td3point p[3], textmapclip *t) {
    return setup<false>(p, t);
}
textmapclip *calcgtmapdeltas(gtd3point p[3], textmapclip *t) {
    return setup<true>(p, t);
}
