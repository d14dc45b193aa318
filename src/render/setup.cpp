// Triangle set-up: orders the three projected vertices (top, right, left), splits the long edge at the
// middle row, and fills the record with start values and per-row and per-pixel gradients.
#include <cmath>
#include <cstring>
#include <utility>

#include "render/rounding.h"
#include "render/tribuffer.h"

namespace {

[[maybe_unused]] inline float colour(const td3point &, int) {
    return 0.0f;
}
inline float colour(const gtd3point &p, int k) {
    return k == 0 ? p.c0 : k == 1 ? p.c1 : p.c2;
}

// The first three lanes into a record's field of three.
template <class T, class V> inline void store3(T (&field)[3], V lanes) {
    std::memcpy(field, &lanes, sizeof field);
}

// After projection the third float of a vertex is w = 1/z.
template <bool G, class P> textmapclip *setup(P in[3], textmapclip *t) {
    // The vertices are put in order by exchanging pointers to them; the array takes the order at the end.
    const P *p[3] = {&in[0], &in[1], &in[2]};
    if (p[0]->y >= p[1]->y) std::swap(p[0], p[1]);
    if (p[0]->y >= p[2]->y) std::swap(p[0], p[2]);
    // Both slopes from one division (the unused lanes divide 0 by 1).
    const v4 slopes = v4{p[1]->x - p[0]->x, p[2]->x - p[0]->x, 0.0f, 0.0f} /
                      v4{p[1]->y - p[0]->y, p[2]->y - p[0]->y, 1.0f, 1.0f};
    if (slopes[1] > slopes[0]) std::swap(p[1], p[2]);
    const int bi = p[1]->y >= p[2]->y ? 1 : 2;
    const P &p0 = *p[0], &pb = *p[bi], &pm = *p[3 - bi];

    // Each vertex's values side by side (lane k: vertex k; the fourth lane unused), so that the per-vertex
    // and per-edge values are single packed operations, each lane the same arithmetic as one float.
    const v4 X = {p[0]->x, p[1]->x, p[2]->x, 0.0f}, Y = {p[0]->y, p[1]->y, p[2]->y, 0.0f};
    const v4 Z = {p[0]->z, p[1]->z, p[2]->z, 0.0f};
    const v4 UW = v4{p[0]->u, p[1]->u, p[2]->u, 0.0f} * Z, VW = v4{p[0]->v, p[1]->v, p[2]->v, 0.0f} * Z;
    // The next vertex's values: edge e runs from vertex e to vertex e + 1.
    auto next = [](v4 a) { return SHUFFLE4(a, a, 1, 2, 0, 3); };

    // The reciprocal heights of the three edges and, in the fourth lane, of the long edge.
    v4 heights = next(Y) - Y;
    heights[3] = pb.y - p0.y;
    const v4 edgere = 1.0f / heights;

    // The long edge, from vertex 0 to the bottom, cut at the middle vertex's height.
    const float r = edgere[3];
    const float h = pm.y - p0.y;
    const float xl = (pb.x - p0.x) * r * h + p0.x;
    const float uwl = (UW[bi] - UW[0]) * r * h + UW[0];
    const float vwl = (VW[bi] - VW[0]) * r * h + VW[0];
    const float wl = (pb.z - p0.z) * r * h + p0.z;
    float cl[3] = {};
    if constexpr (G)
        for (int k = 0; k < 3; k++) cl[k] = (colour(pb, k) - colour(p0, k)) * r * h + colour(p0, k);
    const float d = xl - pm.x;
    const float g = std::fabs(1.0f / d);
    const int mi = 3 - bi;

    // A triangle at most a pixel wide keeps the horizontal gradients its record already holds.
    if (d > 1.0f || d < -1.0f) {
        if (xl > pm.x) {
            t->dwdx = (wl - pm.z) * g;
            t->duwdx = (uwl - UW[mi]) * g;
            t->dvwdx = (vwl - VW[mi]) * g;
            if constexpr (G)
                for (int k = 0; k < 3; k++)
                    t->dcoldx[k] = ceil16((cl[k] - colour(pm, k)) * g * 128.0f + 0.5f);
        } else {
            t->dwdx = (pm.z - wl) * g;
            t->duwdx = (UW[mi] - uwl) * g;
            t->dvwdx = (VW[mi] - vwl) * g;
            if constexpr (G)
                for (int k = 0; k < 3; k++)
                    t->dcoldx[k] = ceil16((colour(pm, k) - cl[k]) * g * 128.0f + 0.5f);
        }
    }

    t->spare = 0;
    const i4 vx = ceil4(X * 65536.0f + 0.5f);
    const i4 vrow = ceil4(Y);
    store3(t->vx, vx);
    store3(t->vy, Y);
    store3(t->vrow, vrow);
    store3(t->w, Z);
    store3(t->uw, UW);
    store3(t->vw, VW);
    if constexpr (G)
        for (int k = 0; k < 3; k++)
            for (int c = 0; c < 3; c++) t->col[k][c] = colour(*p[k], c);
    t->lastrow = vrow[bi];
    const P v0 = *p[0], v1 = *p[1], v2 = *p[2];
    auto reorder = [&] {
        in[0] = v0;
        in[1] = v1;
        in[2] = v2;
    };
    if (p[1]->y == p[0]->y && p[2]->y == p[1]->y) {
        reorder();
        return nullptr;
    }

    store3(t->edgedx, ceil4((next(X) - X) * edgere * 65536.0f + 0.5f));
    store3(t->edgedw, (next(Z) - Z) * edgere);
    store3(t->edgeduw, (next(UW) - UW) * edgere);
    store3(t->edgedvw, (next(VW) - VW) * edgere);
    if constexpr (G)
        for (int e = 0; e < 3; e++) {
            const P &s = *p[e], &q = *p[(e + 1) % 3];
            for (int c = 0; c < 3; c++) t->edgedcol[e][c] = (colour(q, c) - colour(s, c)) * edgere[e];
        }

    t->flattop = 0;
    if (vrow[1] == vrow[0])
        t->flattop = 1;
    else if (vrow[0] == vrow[2])
        t->flattop = -1;
    t->currow = vrow[0];
    reorder();
    return t;
}

} // namespace

textmapclip *calctmapdeltas(td3point p[3], textmapclip *t) {
    return setup<false>(p, t);
}
textmapclip *calcgtmapdeltas(gtd3point p[3], textmapclip *t) {
    return setup<true>(p, t);
}
