// The renderer's own records and the steps between its files: triangle records, clip vertices, planes,
// the clippers, the set-up and the rasterisers. Only the renderer, its tests and its tools include this.
#pragma once

#include <cstdint>

#include "render/render.h"
#include "render/rounding.h"

// A vertex of a textured face: view space until projection, then screen x, y and w = 1/z.
struct td3point {
    float x, y, z, u, v;
};

// The same with three colour channels (c0 blue, c1 green, c2 red), in pixel units.
struct gtd3point {
    float x, y, z, u, v, c0, c1, c2;
};

// A rasteriser: draws a record into the frame at screen, never outside it.
using drawfunc = void (*)(textmapclip *, unsigned char *, const renderframe &);

// One set-up triangle: vertex fields in the set-up's order (0 top, 1 right, 2 left), edge fields for the
// edges 0 (vertex 0 to 1), 1 (1 to 2) and 2 (2 to 0).
struct textmapclip {
    int32_t spare;
    int32_t lastrow; // first row not drawn
    int32_t flattop; // +1: vertex 1 starts on vertex 0's row, -1: vertex 2 does
    int32_t currow;  // advanced by the rasteriser, so a record draws once
    int32_t vx[3];   // 16.16
    float vy[3];
    int32_t edgedx[3]; // 16.16
    float uw[3];
    float edgeduw[3];
    float vw[3];
    float edgedvw[3];
    float w[3];
    float edgedw[3];
    float duwdx, dvwdx, dwdx;
    int32_t vrow[3];
    int32_t depth; // larger is farther
    uint32_t *texture;
    drawfunc draw;        // kept with the fields every record uses, before the Gouraud ones
    float col[4][4];      // Gouraud only: per vertex, channels in columns 0..2
    float edgedcol[4][4]; // Gouraud only: per edge
    int16_t dcoldx[4];    // Gouraud only: per-pixel colour steps x 128
};

struct polyinfo {
    int flags;
    uint32_t *texture;
    drawfunc draw;
};

// --- triangle buffer ---
constexpr int TRIBUFFERRECORDS = 5000; // records in the block; one fewer can be handed out per frame
extern int maxsize;                    // in records
// Hands out the next record; running out ends the program with a message naming the limit.
textmapclip *gettextmapclip();
// The sort key of a triangle from its three view-space depths: their mean, rounded upwards.
inline int32_t depthkey(float z0, float z1, float z2) {
    return ceil32((z0 + z1 + z2) * 0.33333334f);
}

// --- clipping ---
extern plane voor, achter, boven, onder, links, rechts;
extern int d3outnumverts;
constexpr int CLIPVERTS = 32; // room for any output of six plane clips of a triangle, however degenerate
int td3clip(const td3point in[], td3point out[], int n, plane p);
int gtd3clip(const gtd3point in[], gtd3point out[], int n, plane p);
// Cuts a convex polygon of n vertices (at most CLIPVERTS) into n - 2 triangles of vertex indices.
int cutears(int n, int tris[][3]);
void cliptmappoly(td3point tri[3], polyinfo info, const renderframe &f = frame320);
void clipgtmappoly(gtd3point tri[3], polyinfo info, const renderframe &f = frame320);
// The seam correction on a face's three texture coordinates, by its wrap flags (8: u, 16: v): where
// the coordinates on an axis span more than 0.8, those below 0.5 move up by the span rounded upwards.
inline void wrapaxis(float c[3]) {
    float lo = c[0], hi = c[0];
    for (int k = 1; k < 3; k++) {
        lo = c[k] < lo ? c[k] : lo;
        hi = c[k] > hi ? c[k] : hi;
    }
    if (hi - lo > 0.8f) {
        const float k = float(ceil32(hi - lo));
        for (int i = 0; i < 3; i++)
            if (c[i] < 0.5f) c[i] = c[i] + k;
    }
}
inline void wrapseams(int flags, float u[3], float v[3]) {
    if (flags & 8) wrapaxis(u);
    if (flags & 16) wrapaxis(v);
}
void checkwrapping(const object *o, int face, td3point tri[3]);
void checkgwrapping(const object *o, int face, gtd3point tri[3]);

// --- set-up ---
textmapclip *calctmapdeltas(td3point p[3], textmapclip *t);
textmapclip *calcgtmapdeltas(gtd3point p[3], textmapclip *t);

// --- rasterisers: draw into the frame's width x height pixels with its row pitch, never outside it ---
void plottmaptri(textmapclip *t, unsigned char *screen, const renderframe &f = frame320);
void plottranstmaptri(textmapclip *t, unsigned char *screen, const renderframe &f = frame320);
void plotgtmaptri(textmapclip *t, unsigned char *screen, const renderframe &f = frame320);
// The rasterisers without packed instructions; each gives the same bytes as its packed form above.
void plottmaptriplain(textmapclip *t, unsigned char *screen, const renderframe &f = frame320);
void plottranstmaptriplain(textmapclip *t, unsigned char *screen, const renderframe &f = frame320);
void plotgtmaptriplain(textmapclip *t, unsigned char *screen, const renderframe &f = frame320);

// The packed pixel operations, one 32-bit pixel at a time (the rasterisers inline their own copies).
uint32_t transpixel(uint32_t texel, uint32_t dest);
uint32_t gouraudpixel(uint32_t texel, const uint16_t cw[4]);
uint32_t gouraudpixelplain(uint32_t texel, const uint16_t cw[4]);
