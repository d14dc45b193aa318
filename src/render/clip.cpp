// View-volume clipping: the six planes, the plane clips, projection, cutting the clipped polygon into
// triangles and queueing them; and the texture-seam correction applied to a face before it is clipped.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/rounding.h"
#include "render/tribuffer.h"

float proj;
plane voor, boven, onder, links, rechts;
plane achter = {0.0f, 0.0f, 1.0f, -60000.0f};
int d3outnumverts;
renderframe frame320 = {1,  320, 240, 1280, 0.0f, 160.0f, 120.0f, {}, {0.0f, 0.0f, 1.0f, -60000.0f},
                        {}, {},  {},  {}};

namespace {

plane sideplane(float x, float y, float z) {
    const float len = std::sqrt(x * x + y * y + z * z);
    return {x / len, y / len, z / len, 0.005f};
}

inline float distance(const plane &p, float x, float y, float z) {
    return p.a * x + p.b * y + p.c * z + p.d;
}

// Inside is decided by the sign bit alone: -0.0 is inside, +0.0 outside.
inline bool inside(float d) {
    return std::signbit(d);
}

template <class P> P intersect(const P &vi, const P &vj, const plane &p, float dp) {
    const float t = dp / -(p.a * (vj.x - vi.x) + p.b * (vj.y - vi.y) + p.c * (vj.z - vi.z));
    constexpr int n = sizeof(P) / sizeof(float);
    float a[n], b[n], r[n];
    std::memcpy(a, &vi, sizeof a);
    std::memcpy(b, &vj, sizeof b);
    for (int k = 0; k < n; k++) r[k] = a[k] + (b[k] - a[k]) * t;
    P out;
    std::memcpy(&out, r, sizeof out);
    return out;
}

// Sutherland-Hodgman against one plane. Output never exceeds CLIPVERTS: a convex polygon gains at most
// one vertex per plane, and the cap only matters for input that rounding has made non-convex.
template <class P> int clipagainst(const P in[], P out[], int n, const plane &p) {
    int count = 0;
    if (n > 0) {
        const P *prev = &in[0];
        float dp = distance(p, prev->x, prev->y, prev->z);
        for (int k = 1; k <= n; k++) {
            const P *cur = &in[k % n];
            const float dc = distance(p, cur->x, cur->y, cur->z);
            const bool pin = inside(dp), cin = inside(dc);
            if (pin != cin && count < CLIPVERTS) out[count++] = intersect(*prev, *cur, p, dp);
            if (cin && count < CLIPVERTS) out[count++] = *cur;
            prev = cur;
            dp = dc;
        }
    }
    d3outnumverts = count;
    return count > 0;
}

template <class P> inline void project(P &v, const renderframe &f) {
    const float w = 1.0f / v.z;
    v.x = v.x * f.proj * w + f.xsize;
    v.y = f.ysize - v.y * f.proj * w;
    v.z = w;
}

textmapclip *setup(td3point p[3], textmapclip *t) {
    return calctmapdeltas(p, t);
}
textmapclip *setup(gtd3point p[3], textmapclip *t) {
    return calcgtmapdeltas(p, t);
}

// Hands out a record for one projected triangle, with its sort key from the view-space depths, and lists
// it when the set-up accepts it.
template <class P> void queuetriangle(P v[3], float z0, float z1, float z2, const polyinfo &info) {
    textmapclip *t = gettextmapclip();
    t->depth = depthkey(z0, z1, z2);
    t->draw = info.draw;
    t->texture = info.texture;
    if (setup(v, t)) sortedtri[whichindex++] = t;
}

template <class P, class Clip>
void clippoly(P tri[3], const polyinfo &info, Clip clip, const renderframe &f) {
    const plane *planes[6] = {&f.voor, &f.achter, &f.boven, &f.onder, &f.links, &f.rechts};
    // A face inside every plane passes each clip unchanged but for a rotation of its vertices by one;
    // six rotations of three vertices bring it back to its own order, so it skips the clips.
    // The test runs on the three vertices side by side, with the sign bits gathered over all planes.
    const v4 vx = {tri[0].x, tri[1].x, tri[2].x, -1.0f}, vy = {tri[0].y, tri[1].y, tri[2].y, -1.0f},
             vz = {tri[0].z, tri[1].z, tri[2].z, -1.0f};
    i4 signs = {-1, -1, -1, -1};
    for (const plane *pl : planes) signs &= i4(pl->a * vx + pl->b * vy + pl->c * vz + pl->d);
    if (signs[0] < 0 && signs[1] < 0 && signs[2] < 0) {
        // Projection of the three vertices side by side, lane by lane the same arithmetic as project.
        const v4 w = 1.0f / vz;
        const float proj = f.proj;
        const v4 sx = vx * proj * w + f.xsize, sy = f.ysize - vy * proj * w;
        P v[3] = {tri[0], tri[1], tri[2]};
        for (int k = 0; k < 3; k++) {
            v[k].x = sx[k];
            v[k].y = sy[k];
            v[k].z = w[k];
        }
        queuetriangle(v, vz[0], vz[1], vz[2], info);
        return;
    }

    P a[CLIPVERTS], b[CLIPVERTS];
    float z[CLIPVERTS];
    a[0] = tri[0];
    a[1] = tri[1];
    a[2] = tri[2];
    int n = 3;
    P *src = a, *dst = b;
    for (const plane *pl : planes) {
        if (!clip(src, dst, n, *pl)) return;
        n = d3outnumverts;
        P *t = src;
        src = dst;
        dst = t;
    }
    if (n < 3) return;
    for (int k = 0; k < n; k++) {
        z[k] = src[k].z;
        project(src[k], f);
    }

    int tris[CLIPVERTS][3];
    const int count = cutears(n, tris);
    for (int k = 0; k < count; k++) {
        const int i0 = tris[k][0], i1 = tris[k][1], i2 = tris[k][2];
        P v[3] = {src[i0], src[i1], src[i2]};
        queuetriangle(v, z[i0], z[i1], z[i2], info);
    }
}

template <class P> void wrapcoords(const object *o, int face, P tri[3]) {
    float u[3] = {tri[0].u, tri[1].u, tri[2].u}, v[3] = {tri[0].v, tri[1].v, tri[2].v};
    wrapseams(o->faces[face].flags, u, v);
    for (int k = 0; k < 3; k++) {
        tri[k].u = u[k];
        tri[k].v = v[k];
    }
}

} // namespace

// Each step cuts off the ear at i1 and moves the three indices on to the next live vertices.
int cutears(int n, int tris[][3]) {
    if (n < 3) return 0;
    tris[0][0] = 0;
    tris[0][1] = 1;
    tris[0][2] = 2;
    if (n == 3) return 1;
    bool live[CLIPVERTS];
    for (int k = 0; k < n; k++) live[k] = true;
    int i0 = 0, i1 = 1, i2 = 2;
    int left = n, count = 0;
    for (;;) {
        tris[count][0] = i0;
        tris[count][1] = i1;
        tris[count][2] = i2;
        count++;
        if (--left == 2) return count;
        live[i1] = false;
        do i0 = (i0 + 1) % n;
        while (!live[i0]);
        do i1 = (i1 + 1) % n;
        while (!live[i1] || i1 == i0);
        do i2 = (i2 + 1) % n;
        while (!live[i2] || i2 == i1 || i2 == i0);
    }
}

renderframe makerenderframe(int scale) {
    scale = scale < 1 ? 1 : scale > MAXSCALE ? MAXSCALE : scale;
    renderframe f{};
    f.scale = scale;
    f.width = 320 * scale;
    f.height = 240 * scale;
    f.pitch = long(f.width) * 4;
    const float hx = float(f.width) * 0.5f;
    const float hy = float(f.height) * 0.5f;
    // A 53-degree horizontal field of view.
    f.proj = hx / std::tan(0.4625122547149658f);
    // A pixel (x, r) shows the point (x + 1, r) of the frame: its row is drawn when the triangle's top lies
    // at or above r, its column when the left edge lies left of x + 1 and the right edge at or beyond it.
    // At scale N the centre is moved by whole pixels so that the pixel at the middle of each N x N block
    // shows the point its scale-1 pixel shows: the larger frame is the same picture, not one shifted by
    // part of a pixel.
    const int h = scale / 2;
    f.xsize = hx + float(h + 1 - scale);
    f.ysize = hy + float(h);
    // The view volume is the one of the 320 x 240 frame at every scale: its side planes pass through the
    // eye and the edges of that frame, N times as far from the line of sight in pixels. So the larger
    // frame clips where the smaller one does; what moving the centre puts beyond an edge is cut off by the
    // rasterisers, and the edges the drawing rules leave undrawn at 320 x 240 (the top row, the last
    // column) stay undrawn, N times as wide.
    const float p = f.proj;
    f.boven = sideplane(0.0f, 2.0f * hx * p, -2.0f * hx * hy);
    f.rechts = sideplane(2.0f * hy * p, 0.0f, -2.0f * hx * hy);
    f.onder = sideplane(0.0f, -2.0f * hx * p, -2.0f * hx * hy);
    f.links = sideplane(-2.0f * hy * p, 0.0f, -2.0f * hx * hy);
    f.voor = {0.0f, 0.0f, -1.0f, 0.005f};
    f.achter = {0.0f, 0.0f, 1.0f, -60000.0f};
    return f;
}

void initplanes() {
    std::printf("Initing planes\n");
    frame320 = makerenderframe(1);
    proj = frame320.proj;
    boven = frame320.boven;
    rechts = frame320.rechts;
    onder = frame320.onder;
    links = frame320.links;
    voor = frame320.voor;
}

int td3clip(const td3point in[], td3point out[], int n, plane p) {
    return clipagainst(in, out, n, p);
}
int gtd3clip(const gtd3point in[], gtd3point out[], int n, plane p) {
    return clipagainst(in, out, n, p);
}

void cliptmappoly(td3point tri[3], polyinfo info, const renderframe &f) {
    clippoly(tri, info, td3clip, f);
}
void clipgtmappoly(gtd3point tri[3], polyinfo info, const renderframe &f) {
    clippoly(tri, info, gtd3clip, f);
}

void checkwrapping(const object *o, int face, td3point tri[3]) {
    wrapcoords(o, face, tri);
}
void checkgwrapping(const object *o, int face, gtd3point tri[3]) {
    wrapcoords(o, face, tri);
}
