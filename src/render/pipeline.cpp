// The frame pipeline: the view matrix, the transform of every object into view space, back-face
// culling, texture coordinates and Gouraud colours per face, and the hand-over to the clippers.
#include <cmath>

#include "math/math3d.h"
#include "render/tribuffer.h"
#include "state/state.h"

spot THESPOT;

namespace {

// Intensity per channel of the light placed in THESPOT: a moderate grey, so that lit faces brighten
// without washing out (the colour is added to the texel).
constexpr float SPOTGREY = 128.0f;

inline bool validface(const object *o, const face &f) {
    const unsigned v = unsigned(o->numverts);
    return unsigned(f.index[0]) < v && unsigned(f.index[1]) < v && unsigned(f.index[2]) < v;
}

inline void meshcoords(const object *o, int i, float &u, float &v) {
    if (o->mapcoords && i < o->nummapcoords) {
        u = o->mapcoords[2 * i];
        v = o->mapcoords[2 * i + 1];
    } else {
        u = 0.0f;
        v = 0.0f;
    }
}

} // namespace

void makecameramatrix(camera c, float m[4][4]) {
    const d3point e = c.position, t = c.target;
    for (int r = 0; r < 4; r++)
        for (int k = 0; k < 4; k++) m[r][k] = 0.0f;

    float fx = e.x - t.x, fy = e.y - t.y, fz = e.z - t.z;
    float inv = 1.0f / std::sqrt(fx * fx + fy * fy + fz * fz);
    fx = -(fx * inv);
    fy = -(fy * inv);
    fz = -(fz * inv);
    if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz)) {
        // The eye sits on its target: look along +z.
        fx = 0.0f;
        fy = 0.0f;
        fz = 1.0f;
    }

    const float d = fy;
    float ux = -d * fx, uy = 1.0f - d * fy, uz = -d * fz;
    float len = std::sqrt(ux * ux + uy * uy + uz * uz);
    if (!(len > 1e-6f)) {
        // A vertical line of sight has no up direction of its own: take the world's +z axis.
        ux = -fz * fx;
        uy = -fz * fy;
        uz = 1.0f - fz * fz;
        len = std::sqrt(ux * ux + uy * uy + uz * uz);
    }
    inv = 1.0f / len;
    ux *= inv;
    uy *= inv;
    uz *= inv;

    const float rx = uy * fz - uz * fy, ry = uz * fx - ux * fz, rz = ux * fy - uy * fx;
    m[0][0] = rx;
    m[0][1] = ry;
    m[0][2] = rz;
    m[0][3] = -((ry * e.y + rx * e.x) + rz * e.z);
    m[1][0] = ux;
    m[1][1] = uy;
    m[1][2] = uz;
    m[1][3] = -((uy * e.y + ux * e.x) + uz * e.z);
    m[2][0] = fx;
    m[2][1] = fy;
    m[2][2] = fz;
    m[2][3] = -((fy * e.y + fx * e.x) + fz * e.z);
    m[3][3] = 1.0f;
}

namespace {

// A face is drawn when its normal points back at the eye: the eye sits at the origin of view space.
inline bool facestheeye(const d3point &p, const d3point &n) {
    return (p.y * n.y + p.x * n.x) + p.z * n.z < 0.0f;
}

} // namespace

long backfacecull(object *o, unsigned f) {
    return facestheeye(o->destpoints[o->faces[f].index[0]], o->destpoints[2 * o->numverts + int(f)]) ? 1 : 0;
}

void backfaceprocessobject(object *o, material *materials, const renderframe &frame) {
    const int V = o->numverts;
    const d3point *dp = o->destpoints;
    const d3point *facenormals = dp + 2 * V;
    for (int f = 0; f < o->numfaces; f++) {
        const face &fc = o->faces[f];
        if (!validface(o, fc)) continue;
        if (!facestheeye(dp[fc.index[0]], facenormals[f])) continue;
        // A face without a texture has nothing to draw with.
        if (!fc.texture) continue;
        const int s = fc.flags;
        const int i[3] = {fc.index[0], fc.index[1], fc.index[2]};
        float us = 1.0f, vs = 1.0f;
        if (materials) {
            us = materials[fc.materialindex].uscale;
            vs = materials[fc.materialindex].vscale;
        }

        // Texture coordinates are worked on in arrays of their own and written into the vertices once.
        float u[3], v[3];
        if (s & MAP_GOUTXT && !(s & MAP_TMAP)) {
            gtd3point tri[3];
            const d3point &L = THESPOT.direction;
            for (int k = 0; k < 3; k++) meshcoords(o, i[k], u[k], v[k]);
            wrapseams(s, u, v);
            for (int k = 0; k < 3; k++) {
                const d3point &p = dp[i[k]];
                const d3point &n = dp[V + i[k]];
                float I = (n.x * L.x + n.y * L.y) + n.z * L.z;
                if (I <= 0.0f) I = 0.0f;
                tri[k] = gtd3point{p.x,
                                   p.y,
                                   p.z,
                                   (us * 255.0f) * u[k],
                                   (vs * 255.0f) * v[k],
                                   I * THESPOT.colour.x,
                                   I * THESPOT.colour.y,
                                   I * THESPOT.colour.z};
            }
            clipgtmappoly(tri, polyinfo{s, fc.texture, plotgtmaptri}, frame);
            continue;
        }

        drawfunc draw;
        bool env;
        if (s & MAP_TMAP) {
            draw = plottmaptri;
            env = false;
        } else if (s & MAP_TRANSTXT) {
            draw = plottranstmaptri;
            env = false;
        } else if (s & MAP_ENV) {
            draw = plottmaptri;
            env = true;
        } else if (s & MAP_TRANSENV) {
            draw = plottranstmaptri;
            env = true;
        } else {
            continue;
        }
        if (env) {
            for (int k = 0; k < 3; k++) {
                const d3point &n = dp[V + i[k]];
                u[k] = (1.0f + n.x) * 127.0f;
                v[k] = (1.0f + n.y) * 127.0f;
            }
        } else {
            for (int k = 0; k < 3; k++) meshcoords(o, i[k], u[k], v[k]);
            wrapseams(s, u, v);
            for (int k = 0; k < 3; k++) {
                u[k] = (us * 255.0f) * u[k];
                v[k] = (vs * 255.0f) * v[k];
            }
        }
        td3point tri[3];
        for (int k = 0; k < 3; k++) {
            const d3point &p = dp[i[k]];
            tri[k] = td3point{p.x, p.y, p.z, u[k], v[k]};
        }
        cliptmappoly(tri, polyinfo{s, fc.texture, draw}, frame);
    }
}

void setspotfromworld(const world &w) {
    THESPOT = spot{};
    if (w.numlights < 2 || !w.lights) return;
    // Entry 0 is reserved; the first light of the file is entry 1. Its direction points from what it
    // shines at (its target, or the origin for a plain light) towards the light.
    const spot &l = w.lights[1];
    const float x = l.position.x - l.target.x, y = l.position.y - l.target.y, z = l.position.z - l.target.z;
    const float m[3] = {(cameramatrix[0][1] * y + cameramatrix[0][0] * x) + cameramatrix[0][2] * z,
                        (cameramatrix[1][1] * y + cameramatrix[1][0] * x) + cameramatrix[1][2] * z,
                        (cameramatrix[2][1] * y + cameramatrix[2][0] * x) + cameramatrix[2][2] * z};
    const float len = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    if (!(len > 0.0f) || !std::isfinite(len)) return;
    THESPOT.position = l.position;
    THESPOT.target = l.target;
    THESPOT.direction = d3point{m[0] / len, m[1] / len, m[2] / len, 0.0f};
    THESPOT.colour = d3point{SPOTGREY, SPOTGREY, SPOTGREY, 0.0f};
}

static void renderpass(world &w, int frame, int yrot, bool turn, const renderframe &f) {
    if (!w.campositions || w.numframes <= 0) return;
    // Frame numbers beyond the scene's camera path use its nearest end.
    if (frame < 0) frame = 0;
    if (frame >= w.numframes) frame = int(w.numframes - 1);
    makecameramatrix(w.campositions[frame], cameramatrix);
    setspotfromworld(w);
    for (int k = 0; k < w.numobjects; k++) {
        object &o = w.objects[k];
        putidentityinmatrix(o.matrix);
        if (turn) addytomatrix(o.matrix, yrot, sintab, costab);
        addcameratomatrix(o.matrix);
        muldestcoordswithrotmat(&o, o.matrix);
    }
    for (int k = 0; k < w.numobjects; k++) backfaceprocessobject(&w.objects[k], w.materials, f);
}

void processworldcamera(world w, unsigned char *, int frame, const renderframe &f) {
    renderpass(w, frame, 0, false, f);
}

void facesortprocess(world *w, unsigned char *screen, int frame, const renderframe &f) {
    whichtri = 0;
    whichindex = 0;
    renderpass(*w, frame, 0, false, f);
    qsorttribuffer(0, whichindex - 1);
    drawtribuffer(screen, f);
}

void facesortprocessyrot(world *w, unsigned char *screen, int frame, int yrot, const renderframe &f) {
    whichtri = 0;
    whichindex = 0;
    renderpass(*w, frame, yrot, true, f);
    qsorttribuffer(0, whichindex - 1);
    drawtribuffer(screen, f);
}
