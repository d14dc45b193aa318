// The two 3D Studio scenes: the intro world with its camera flight, and the menu with its four items.
//
// Geometry is built here in the show's own frame (y up, x right, z away from the viewer) and written in
// the file's frame (z up) by exchanging y and z. A face (a, b, c) is built so that (b - a) x (c - a)
// points to the side it is seen from; it is written as (a, c, b), which is counter-clockwise about that
// side in the file's frame, the way 3D Studio stores faces.
#include "makers.h"
#include "mk3ds.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mkdata {

namespace {

constexpr float TAU = 6.2831853f;

struct V3 {
    float x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator*(V3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}

mk3ds::Vec3 tofile(V3 p) {
    return {p.x, p.z, p.y};
}

struct Builder {
    mk3ds::Mesh mesh;
    std::string material;

    Builder(const std::string &name, const std::string &mat) : material(mat) { mesh.name = name; }
    // A vertex at p with texture position (s, t): s to the right, t down the picture, 1 = one map width.
    uint16_t vert(V3 p, float s, float t) {
        mesh.vertices.push_back(tofile(p));
        mesh.mapcoords.push_back({s, 1.0f - t});
        return static_cast<uint16_t>(mesh.vertices.size() - 1);
    }
    void tri(uint16_t a, uint16_t b, uint16_t c) { mesh.faces.push_back({a, c, b, 7}); }
    // A quad a b c d going round its visible side the same way as a triangle.
    void quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
        tri(a, b, c);
        tri(a, c, d);
    }
    mk3ds::Mesh done() {
        mk3ds::MaterialGroup g;
        g.material = material;
        for (size_t i = 0; i < mesh.faces.size(); ++i) g.faces.push_back(static_cast<uint16_t>(i));
        mesh.groups = {g};
        return mesh;
    }
};

// A flat rectangle centred at c with half-vectors u and v, seen by a viewer for whom u points to the right
// and v up (in this left-handed frame that is the side opposite to u x v).
void panel(Builder &b, V3 c, V3 u, V3 v, float s0, float s1, float t0, float t1) {
    const uint16_t p0 = b.vert(c + u * -1.0f + v, s0, t0);
    const uint16_t p1 = b.vert(c + u + v, s1, t0);
    const uint16_t p2 = b.vert(c + u + v * -1.0f, s1, t1);
    const uint16_t p3 = b.vert(c + u * -1.0f + v * -1.0f, s0, t1);
    b.quad(p0, p1, p2, p3);
}

// The part of a rectangle centred at c with half-vectors u and v between a0..a1 along u and b0..b1 along v
// (each in -1..1), with texture positions interpolated from (s0, t0) at (-1, 1) to (s1, t1) at (1, -1).
// Every vertex is c + u a + v b computed the same way, so that cells sharing a corner share its position
// to the last bit, in whatever mesh they lie.
void cell(Builder &b, V3 c, V3 u, V3 v, float a0, float a1, float b0, float b1, float s0, float s1, float t0,
          float t1) {
    if (a1 <= a0 || b1 <= b0) return;
    auto at = [&](float a, float bb) {
        return b.vert(c + u * a + v * bb, s0 + (s1 - s0) * (a + 1.0f) * 0.5f,
                      t0 + (t1 - t0) * (1.0f - bb) * 0.5f);
    };
    b.quad(at(a0, b1), at(a1, b1), at(a1, b0), at(a0, b0));
}

// A rectangle left open in a face of a box, for a label set flush into it: in the face's own u and v
// (-1..1). The face is built as the eight cells around the opening, so that no edge of the face runs past
// a corner of the opening and the label fills it exactly, without overlapping any face of the box.
struct Opening {
    int face = -1; // 0 faces -z, 1 +z, 2 -x, 3 +x, 4 +y, 5 -y; -1 for none
    float a0 = 0, a1 = 0, b0 = 0, b1 = 0;
};

void openface(Builder &b, V3 c, V3 u, V3 v, float s1, float t1, const Opening &o) {
    const float as[4] = {-1.0f, o.a0, o.a1, 1.0f}, bs[4] = {-1.0f, o.b0, o.b1, 1.0f};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != 1 || j != 1) cell(b, c, u, v, as[i], as[i + 1], bs[j], bs[j + 1], 0, s1, 0, t1);
}

// An axis-aligned box seen from outside; `tile` texture widths per 100 units.
void box(Builder &b, V3 lo, V3 hi, float tile, bool top = true, bool front = true,
         const Opening &opening = {}) {
    const V3 c = (lo + hi) * 0.5f;
    const V3 h = (hi + lo * -1.0f) * 0.5f;
    const float sx = h.x * 2 * tile / 100, sy = h.y * 2 * tile / 100, sz = h.z * 2 * tile / 100;
    auto face = [&](int id, V3 fc, V3 u, V3 v, float s1, float t1) {
        if (opening.face == id)
            openface(b, fc, u, v, s1, t1, opening);
        else
            panel(b, fc, u, v, 0, s1, 0, t1);
    };
    if (front) face(0, {c.x, c.y, lo.z}, {h.x, 0, 0}, {0, h.y, 0}, sx, sy); // faces -z
    face(1, {c.x, c.y, hi.z}, {-h.x, 0, 0}, {0, h.y, 0}, sx, sy);           // faces +z
    face(2, {lo.x, c.y, c.z}, {0, 0, -h.z}, {0, h.y, 0}, sz, sy);           // faces -x
    face(3, {hi.x, c.y, c.z}, {0, 0, h.z}, {0, h.y, 0}, sz, sy);            // faces +x
    if (top) face(4, {c.x, hi.y, c.z}, {h.x, 0, 0}, {0, 0, h.z}, sx, sz);   // faces +y
    face(5, {c.x, lo.y, c.z}, {h.x, 0, 0}, {0, 0, -h.z}, sx, sz);           // faces -y
}

// The label for an opening made by box(): the same face, the same cell, a texture of its own.
void label(Builder &b, V3 lo, V3 hi, const Opening &o, float t0 = 0.0f, float t1 = 1.0f) {
    const V3 c = (lo + hi) * 0.5f;
    const V3 h = (hi + lo * -1.0f) * 0.5f;
    const V3 centres[6] = {{c.x, c.y, lo.z}, {c.x, c.y, hi.z}, {lo.x, c.y, c.z},
                           {hi.x, c.y, c.z}, {c.x, hi.y, c.z}, {c.x, lo.y, c.z}};
    const V3 us[6] = {{h.x, 0, 0}, {-h.x, 0, 0}, {0, 0, -h.z}, {0, 0, h.z}, {h.x, 0, 0}, {h.x, 0, 0}};
    const V3 vs[6] = {{0, h.y, 0}, {0, h.y, 0}, {0, h.y, 0}, {0, h.y, 0}, {0, 0, h.z}, {0, 0, -h.z}};
    const size_t f = static_cast<size_t>(o.face);
    // The texture spans the opening: s 0..1 across it, t from t0 at its top to t1 at its bottom.
    const float ds = 2.0f / (o.a1 - o.a0), dt = 2.0f * (t1 - t0) / (o.b1 - o.b0);
    const float s0 = -(o.a0 + 1.0f) * ds * 0.5f, top = t0 - dt * (1.0f - o.b1) * 0.5f;
    cell(b, centres[f], us[f], vs[f], o.a0, o.a1, o.b0, o.b1, s0, s0 + ds, top, top + dt);
}

// A UV sphere; inward = seen from inside (the sky).
void sphere(Builder &b, V3 c, float r, int seg, int rings, float utile, float vtile, bool inward) {
    std::vector<std::vector<uint16_t>> idx(static_cast<size_t>(rings + 1));
    for (int i = 0; i <= rings; ++i) {
        const float lat =
            TAU * 0.5f * static_cast<float>(i) / static_cast<float>(rings); // 0 top .. pi bottom
        for (int j = 0; j <= seg; ++j) {
            const float lon = TAU * static_cast<float>(j) / static_cast<float>(seg);
            const V3 p{std::sin(lat) * std::cos(lon), std::cos(lat), std::sin(lat) * std::sin(lon)};
            idx[static_cast<size_t>(i)].push_back(
                b.vert(c + p * r, utile * static_cast<float>(j) / static_cast<float>(seg),
                       vtile * static_cast<float>(i) / static_cast<float>(rings)));
        }
    }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < seg; ++j) {
            const uint16_t a = idx[static_cast<size_t>(i)][static_cast<size_t>(j)];
            const uint16_t bb = idx[static_cast<size_t>(i)][static_cast<size_t>(j + 1)];
            const uint16_t c2 = idx[static_cast<size_t>(i + 1)][static_cast<size_t>(j + 1)];
            const uint16_t d = idx[static_cast<size_t>(i + 1)][static_cast<size_t>(j)];
            // (bb - a) x (d - a) points outwards for this parametrisation.
            if (inward)
                b.quad(a, d, c2, bb);
            else
                b.quad(a, bb, c2, d);
        }
}

void torus(Builder &b, V3 c, float major, float minor, int seg, int sides) {
    std::vector<std::vector<uint16_t>> idx(static_cast<size_t>(seg + 1));
    for (int i = 0; i <= seg; ++i) {
        const float a = TAU * static_cast<float>(i) / static_cast<float>(seg);
        for (int j = 0; j <= sides; ++j) {
            const float t = TAU * static_cast<float>(j) / static_cast<float>(sides);
            const float rr = major + minor * std::cos(t);
            idx[static_cast<size_t>(i)].push_back(
                b.vert(c + V3{rr * std::cos(a), minor * std::sin(t), rr * std::sin(a)},
                       4.0f * static_cast<float>(i) / static_cast<float>(seg),
                       static_cast<float>(j) / static_cast<float>(sides)));
        }
    }
    for (int i = 0; i < seg; ++i)
        for (int j = 0; j < sides; ++j) {
            const uint16_t a = idx[static_cast<size_t>(i)][static_cast<size_t>(j)];
            const uint16_t b1 = idx[static_cast<size_t>(i + 1)][static_cast<size_t>(j)];
            const uint16_t c1 = idx[static_cast<size_t>(i + 1)][static_cast<size_t>(j + 1)];
            const uint16_t d = idx[static_cast<size_t>(i)][static_cast<size_t>(j + 1)];
            b.quad(a, d, c1, b1);
        }
}

// A prism of n sides standing on the ground (a pillar), with a top cap.
void pillar(Builder &b, V3 base, float r, float h, int n) {
    for (int k = 0; k < n; ++k) {
        const float a0 = TAU * static_cast<float>(k) / static_cast<float>(n),
                    a1 = TAU * static_cast<float>(k + 1) / static_cast<float>(n);
        const V3 p0{base.x + r * std::cos(a0), base.y, base.z + r * std::sin(a0)};
        const V3 p1{base.x + r * std::cos(a1), base.y, base.z + r * std::sin(a1)};
        const float s0 = static_cast<float>(k) / static_cast<float>(n) * 2,
                    s1 = static_cast<float>(k + 1) / static_cast<float>(n) * 2;
        const uint16_t a = b.vert(p0, s0, h / 100), bb = b.vert(p1, s1, h / 100);
        const uint16_t c = b.vert(p1 + V3{0, h, 0}, s1, 0), d = b.vert(p0 + V3{0, h, 0}, s0, 0);
        b.quad(a, d, c, bb);
        const uint16_t centre = b.vert(base + V3{0, h, 0}, 0.5f, 0.5f);
        const uint16_t e = b.vert(p0 + V3{0, h, 0}, 0.5f + 0.5f * std::cos(a0), 0.5f + 0.5f * std::sin(a0));
        const uint16_t f = b.vert(p1 + V3{0, h, 0}, 0.5f + 0.5f * std::cos(a1), 0.5f + 0.5f * std::sin(a1));
        b.tri(centre, f, e);
    }
}

void octahedron(Builder &b, V3 c, float r, float h) {
    const V3 top = c + V3{0, h, 0}, bottom = c + V3{0, -h, 0};
    for (int k = 0; k < 4; ++k) {
        const float a0 = TAU * static_cast<float>(k) / 4.0f, a1 = TAU * static_cast<float>(k + 1) / 4.0f;
        const V3 p0 = c + V3{r * std::cos(a0), 0, r * std::sin(a0)},
                 p1 = c + V3{r * std::cos(a1), 0, r * std::sin(a1)};
        const uint16_t t = b.vert(top, 0.5f, 0), u0 = b.vert(p0, 0, 1), u1 = b.vert(p1, 1, 1);
        b.tri(t, u1, u0);
        const uint16_t d = b.vert(bottom, 0.5f, 0), w0 = b.vert(p0, 0, 1), w1 = b.vert(p1, 1, 1);
        b.tri(d, w0, w1);
    }
}

// The land around a round floor: rings of faces from the floor's rim (radius inner, as many segments as
// the floor so their edges meet exactly) out to radius outer, seen from above; height(x, z) gives the
// relief. Ring widths grow outwards, where the land is seen from further away.
template <class Fn>
void land(Builder &b, float inner, float outer, int seg, int rings, float tile, Fn &&height) {
    auto at = [&](int ring, int k) {
        const float a = TAU * static_cast<float>(k % seg) / static_cast<float>(seg);
        const float r = inner * std::pow(outer / inner, static_cast<float>(ring) / static_cast<float>(rings));
        const float x = r * std::cos(a), z = r * std::sin(a);
        return b.vert({x, ring == 0 ? height(inner, 0.0f) : height(x, z), z}, x / tile, z / tile);
    };
    for (int ring = 0; ring < rings; ++ring)
        for (int k = 0; k < seg; ++k)
            b.quad(at(ring, k), at(ring, k + 1), at(ring + 1, k + 1), at(ring + 1, k));
}

// A flat disc seen from above, in rings, so that no face is much longer than its neighbours (faces are
// drawn far to near by their mean depth).
void disc(Builder &b, V3 c, float r, int seg, int rings, float tile) {
    auto at = [&](int ring, int k) {
        const float a = TAU * static_cast<float>(k) / static_cast<float>(seg);
        const float rr = r * static_cast<float>(ring) / static_cast<float>(rings);
        const V3 p = c + V3{rr * std::cos(a), 0, rr * std::sin(a)};
        return b.vert(p, p.x / tile, p.z / tile);
    };
    for (int k = 0; k < seg; ++k) {
        b.tri(at(0, k), at(1, k + 1), at(1, k));
        for (int ring = 1; ring < rings; ++ring)
            b.quad(at(ring, k), at(ring, k + 1), at(ring + 1, k + 1), at(ring + 1, k));
    }
}

mk3ds::Material material(const char *name, const char *map, uint8_t r, uint8_t g, uint8_t bl) {
    mk3ds::Material m;
    m.name = name;
    m.map = map;
    m.diffuse = {r, g, bl};
    m.ambient = {static_cast<uint8_t>(r / 4), static_cast<uint8_t>(g / 4), static_cast<uint8_t>(bl / 4)};
    return m;
}

// The material tables of both scenes share their order of kinds (plain first, then Gouraud, transparent,
// environment and transparent environment at the same places), because the loader ORs a material's
// kind into what the same table entry held in the scene loaded before.
std::vector<mk3ds::Material> intromaterials() {
    return {
        material("NEBULA", "NEBULA.TGA", 40, 20, 60),            // 0
        material("ROCK", "ROCK.GIF", 120, 110, 90),              // 1
        material("MARBLE", "MARBLE.TGA", 220, 220, 210),         // 2
        material("METAL", "metal.jpg", 150, 150, 160),           // 3
        material("GOUTXT MOSAIC", "MOSAIC.TGA", 200, 140, 80),   // 4
        material("TRANSTXT GLASS", "GLASS.GIF", 90, 160, 220),   // 5
        material("ENV CHROME", "SKY.TGA", 200, 210, 230),        // 6
        material("TRANSENV ENERGY", "ENERGY.GIF", 220, 90, 220), // 7
        material("ENV GOLD", "GOLD.TGA", 230, 180, 60),          // 8
        material("WOOD", "WOOD.GIF", 140, 90, 50),               // 9
    };
}

std::vector<mk3ds::Material> menumaterials() {
    return {
        material("DOOR LEFT", "DOORL.TGA", 160, 110, 60),           // 0
        material("DOOR RIGHT", "DOORR.TGA", 160, 110, 60),          // 1
        material("MARBLE", "MARBLE.TGA", 220, 220, 210),            // 2
        material("METAL", "metal.jpg", 150, 150, 160),              // 3
        material("GOUTXT WOOD", "WOOD.GIF", 140, 90, 50),           // 4
        material("TRANSTXT GLASS", "GLASS.GIF", 90, 160, 220),      // 5
        material("ENV CHROME", "SKY.TGA", 200, 210, 230),           // 6
        material("TRANSENV ENERGY", "ENERGY.GIF", 220, 90, 220),    // 7
        material("ENV GOLD", "GOLD.TGA", 230, 180, 60),             // 8
        material("LABEL GALLERY", "LBLGALL.TGA", 230, 190, 90),     // 9
        material("LABEL CREDITS", "LBLCRED.TGA", 90, 170, 220),     // 10
        material("LABEL GREETINGS", "LBLGREET.TGA", 120, 210, 140), // 11
        material("LABEL EXIT", "LBLEXIT.TGA", 220, 110, 90),        // 12
    };
}

mk3ds::PosKey pkey(int frame, V3 p, float tension = 0.0f, float continuity = 0.0f) {
    mk3ds::PosKey k;
    k.key.frame = frame;
    k.key.tension = tension;
    k.key.continuity = continuity;
    k.value = tofile(p);
    return k;
}

struct CameraKey {
    int frame;
    V3 eye, target;
    float tension;
    float continuity = 0.0f;
};

void camerapath(mk3ds::Scene &s, const std::vector<CameraKey> &keys,
                const std::vector<std::pair<int, float>> &roll, int frames) {
    mk3ds::Camera cam;
    cam.name = "Camera01";
    cam.position = tofile(keys.front().eye);
    cam.target = tofile(keys.front().target);
    cam.lens = 36.0f;
    s.cameras.push_back(cam);
    mk3ds::Keyframer kf;
    kf.start = 0;
    kf.end = frames;
    for (const mk3ds::Mesh &m : s.meshes) {
        mk3ds::ObjectNode n;
        n.name = m.name;
        kf.objects.push_back(n);
    }
    mk3ds::CameraNode node;
    node.name = "Camera01";
    for (const CameraKey &k : keys) {
        node.position.push_back(pkey(k.frame, k.eye, k.tension, k.continuity));
        node.target.push_back(pkey(k.frame, k.target, k.tension, k.continuity));
    }
    for (const auto &[frame, degrees] : roll) {
        mk3ds::RollKey r;
        r.key.frame = frame;
        r.roll = degrees;
        node.roll.push_back(r);
    }
    kf.cameras.push_back(node);
    s.keyframer = kf;
}

bool save(const mk3ds::Scene &s, const std::string &path, std::string &error) {
    std::string e;
    if (!mk3ds::save3ds(s, path, &e)) {
        error = e.empty() ? path + ": cannot be written" : e;
        return false;
    }
    return true;
}

float terrainheight(float x, float z) {
    // Level with the temple floor at its rim, rising into rocky hills towards the edge of the world.
    const float r = std::hypot(x, z);
    const float rise = std::min(1.0f, std::max(0.0f, (r - 600.0f) / 1400.0f));
    return -4.0f + rise * rise * (120.0f + 220.0f * (0.3f + ridged(x / 700.0f, z / 700.0f, 4, 808)));
}

} // namespace

bool writeintroscene(const std::string &path, std::string &error) {
    mk3ds::Scene s;
    s.materials = intromaterials();
    {
        Builder b("sky", "NEBULA");
        sphere(b, {0, 0, 0}, 3000.0f, 24, 12, 6.0f, 3.0f, true);
        s.meshes.push_back(b.done());
    }
    {
        Builder b("ground", "ROCK");
        land(b, 470.0f, 2700.0f, 24, 10, 250.0f, terrainheight);
        s.meshes.push_back(b.done());
    }
    {
        Builder b("floor", "GOUTXT MOSAIC");
        disc(b, {0, -4, 0}, 470.0f, 24, 4, 160.0f);
        s.meshes.push_back(b.done());
    }
    {
        Builder b("pillars", "MARBLE");
        for (int k = 0; k < 8; ++k) {
            const float a = TAU * (static_cast<float>(k) + 0.5f) / 8.0f;
            pillar(b, {400.0f * std::cos(a), -4.0f, 400.0f * std::sin(a)}, 30.0f, 320.0f, 8);
        }
        s.meshes.push_back(b.done());
    }
    {
        Builder b("lintels", "METAL");
        for (int k = 0; k < 8; ++k) {
            const float a = TAU * (static_cast<float>(k) + 0.5f) / 8.0f;
            box(b, {400.0f * std::cos(a) - 40.0f, 316.0f, 400.0f * std::sin(a) - 40.0f},
                {400.0f * std::cos(a) + 40.0f, 340.0f, 400.0f * std::sin(a) + 40.0f}, 1.0f);
        }
        s.meshes.push_back(b.done());
    }
    {
        Builder b("pedestal", "WOOD");
        box(b, {-45, -4, -45}, {45, 46, 45}, 1.0f);
        s.meshes.push_back(b.done());
    }
    {
        Builder b("orb", "ENV GOLD");
        sphere(b, {0, 110, 0}, 60.0f, 16, 10, 1.0f, 1.0f, false);
        s.meshes.push_back(b.done());
    }
    {
        Builder b("halo", "ENV CHROME");
        torus(b, {0, 360, 0}, 190.0f, 16.0f, 24, 8);
        s.meshes.push_back(b.done());
    }
    {
        Builder b("crystals", "TRANSENV ENERGY");
        for (int k = 0; k < 6; ++k) {
            const float a = TAU * static_cast<float>(k) / 6.0f;
            octahedron(
                b, {250.0f * std::cos(a), 200.0f + 40.0f * static_cast<float>(k % 2), 250.0f * std::sin(a)},
                22.0f, 45.0f);
        }
        s.meshes.push_back(b.done());
    }
    {
        Builder b("windows", "TRANSTXT GLASS");
        for (int k = 0; k < 8; k += 2) {
            const float a0 = TAU * (static_cast<float>(k) + 0.5f) / 8.0f,
                        a1 = TAU * (static_cast<float>(k) + 1.5f) / 8.0f;
            const V3 p0{400.0f * std::cos(a0), 0, 400.0f * std::sin(a0)},
                p1{400.0f * std::cos(a1), 0, 400.0f * std::sin(a1)};
            const V3 c = (p0 + p1) * 0.5f + V3{0, 160, 0};
            const V3 u = (p1 + p0 * -1.0f) * 0.42f;
            // Both sides, so the pane shows from inside and outside the temple.
            panel(b, c, u, {0, 140, 0}, 0, 1, 0, 1);
            panel(b, c, u * -1.0f, {0, 140, 0}, 0, 1, 0, 1);
        }
        s.meshes.push_back(b.done());
    }
    mk3ds::Light sun;
    sun.name = "Sun";
    sun.position = tofile({600, 1800, -900});
    sun.r = 1.0f, sun.g = 0.92f, sun.b = 0.8f;
    s.lights.push_back(sun);
    mk3ds::Light spot;
    spot.name = "Spot01";
    spot.position = tofile({0, 900, 0});
    spot.spot = true;
    spot.target = tofile({0, 100, 0});
    spot.r = 0.6f, spot.g = 0.7f, spot.b = 1.0f;
    s.lights.push_back(spot);
    // The flight: in over the hills, up into the dark sky while the first logo shows, down into the
    // temple, round the golden orb, up to the sky again for the second logo, and out over the hills.
    camerapath(s,
               {
                   {0, {-1700, 520, -1900}, {0, 150, 0}, 0.0f},
                   {200, {-950, 300, -850}, {0, 220, 0}, 0.0f},
                   {270, {-760, 260, -640}, {-380, 1500, 150}, 0.3f},
                   {340, {-600, 230, -500}, {-250, 1200, 300}, 0.0f},
                   {480, {0, 140, -640}, {0, 120, 0}, 0.0f},
                   {600, {0, 95, -260}, {0, 100, 200}, 0.0f},
                   {720, {250, 150, 0}, {0, 110, 0}, 0.0f, 0.3f},
                   {840, {0, 250, 150}, {0, 140, -100}, 0.0f},
                   {920, {-300, 560, 480}, {-900, 1600, 1500}, 0.3f},
                   {1020, {-420, 420, 640}, {-700, 1700, 1700}, 0.0f},
                   {1150, {-250, 600, 1150}, {0, 120, 0}, 0.0f, -0.25f},
                   {1280, {900, 480, 650}, {0, 120, 0}, 0.0f},
                   {1399, {1250, 900, -450}, {0, 400, 0}, 0.0f},
               },
               {{0, 0.0f}, {480, 6.0f}, {720, -12.0f}, {1020, 8.0f}, {1399, 0.0f}}, 1400);
    return save(s, path, error);
}

bool writemenuscene(const std::string &path, std::string &error) {
    // Four items on a ring of radius 260 about the vertical axis, each facing outwards: the gallery in
    // front (-z), the credits on the right (+x), the greetings behind (+z), the exit on the left (-x). A
    // right turn of the menu brings the item on the right to the front.
    mk3ds::Scene s;
    s.materials = menumaterials();
    {
        // The gallery box: its front is the two doors, 140 x 110, at z = -311.
        Builder l("art-left", "DOOR LEFT");
        panel(l, {-35, 0, -311}, {35, 0, 0}, {0, 55, 0}, 0, 1, 0, 1);
        s.meshes.push_back(l.done());
        Builder r("art-right", "DOOR RIGHT");
        panel(r, {35, 0, -311}, {35, 0, 0}, {0, 55, 0}, 0, 1, 0, 1);
        s.meshes.push_back(r.done());
        Builder b("gallery", "GOUTXT WOOD");
        box(b, {-76, -60, -310}, {76, 60, -210}, 1.0f, true, false);
        // A frame around the doors.
        box(b, {-82, 60, -316}, {82, 72, -300}, 1.0f);
        box(b, {-82, -64, -316}, {82, -55, -300}, 1.0f);
        box(b, {-82, -55, -316}, {-71, 60, -300}, 1.0f);
        box(b, {71, -55, -316}, {82, 60, -300}, 1.0f);
        s.meshes.push_back(b.done());
        Builder roof("gallery-roof", "ENV GOLD");
        for (int k = 0; k < 1; ++k) {
            const uint16_t a = roof.vert({-86, 72, -320}, 0, 0), b2 = roof.vert({86, 72, -320}, 1, 0);
            const uint16_t c = roof.vert({86, 72, -206}, 1, 1), d = roof.vert({-86, 72, -206}, 0, 1);
            const uint16_t top0 = roof.vert({-86, 110, -263}, 0, 0.5f),
                           top1 = roof.vert({86, 110, -263}, 1, 0.5f);
            roof.quad(a, top0, top1, b2); // front slope, towards -z and up
            roof.quad(c, top1, top0, d);  // back slope
            roof.tri(a, d, top0);         // left gable
            roof.tri(b2, top1, c);        // right gable
        }
        s.meshes.push_back(roof.done());
    }
    {
        // Credits: a tablet of metal with its label set into the face towards +x, and a pane of glass
        // standing clear above it. The faces are drawn by their mean depth alone, so nothing that can show
        // through or over the label touches it.
        const V3 lo{230, -60, -70}, hi{260, 70, 70};
        const Opening o{3, -60.0f / 70.0f, 60.0f / 70.0f, -60.0f / 65.0f, 60.0f / 65.0f};
        Builder b("credits", "METAL");
        box(b, lo, hi, 1.0f, true, true, o);
        s.meshes.push_back(b.done());
        Builder l("credits-label", "LABEL CREDITS");
        label(l, lo, hi, o);
        s.meshes.push_back(l.done());
        Builder g("credits-glass", "TRANSTXT GLASS");
        // Both sides, so that it shows as the menu turns past.
        panel(g, {245, 108, 0}, {0, 0, 66}, {0, 22, 0}, 0, 1, 0, 0.5f);
        panel(g, {245, 108, 0}, {0, 0, -66}, {0, 22, 0}, 0, 1, 0, 0.5f);
        s.meshes.push_back(g.done());
    }
    {
        // Greetings: a block with its label set into the face towards +z, and a chrome globe on top.
        const V3 lo{-70, -60, 230}, hi{70, 50, 260};
        const Opening o{1, -62.0f / 70.0f, 62.0f / 70.0f, -50.0f / 55.0f, 50.0f / 55.0f};
        Builder b("greetings", "MARBLE");
        box(b, lo, hi, 1.0f, true, true, o);
        s.meshes.push_back(b.done());
        Builder l("greetings-label", "LABEL GREETINGS");
        label(l, lo, hi, o);
        s.meshes.push_back(l.done());
        Builder g("greetings-globe", "ENV CHROME");
        sphere(g, {0, 92, 245}, 40.0f, 16, 10, 1, 1, false);
        s.meshes.push_back(g.done());
    }
    {
        // Exit: an archway with a shimmering portal, its label set into the lintel, facing -x.
        const V3 lo{-275, 60, -75}, hi{-245, 80, 75};
        const Opening o{2, -40.0f / 75.0f, 40.0f / 75.0f, -1.0f, 1.0f};
        Builder b("exit", "METAL");
        box(b, {-275, -60, -75}, {-245, 60, -55}, 1.0f);
        box(b, {-275, -60, 55}, {-245, 60, 75}, 1.0f);
        box(b, lo, hi, 1.0f, true, true, o);
        s.meshes.push_back(b.done());
        Builder p("exit-portal", "TRANSENV ENERGY");
        // The portal stops short of the lintel, so that from above its top edge, further back, never
        // shows on the label.
        panel(p, {-262, -10, 0}, {0, 0, -55}, {0, 50, 0}, 0, 1, 0, 1);
        panel(p, {-258, -10, 0}, {0, 0, 55}, {0, 50, 0}, 0, 1, 0, 1);
        s.meshes.push_back(p.done());
        Builder l("exit-label", "LABEL EXIT");
        label(l, lo, hi, o, 0.38f, 0.62f);
        s.meshes.push_back(l.done());
    }
    {
        Builder b("stage", "MARBLE");
        // The stage lies well below the items, which float over it: seen from the menu's views, no part of
        // the stage hidden behind an item projects onto it, so that the sort by mean depth never has to
        // decide between the two.
        disc(b, {0, -84, 0}, 345.0f, 32, 3, 115.0f);
        s.meshes.push_back(b.done());
        Builder c("column", "GOUTXT WOOD");
        pillar(c, {0, -84, 0}, 40.0f, 110.0f, 12);
        s.meshes.push_back(c.done());
        Builder o("centre-orb", "ENV GOLD");
        sphere(o, {0, 66, 0}, 40.0f, 16, 10, 1, 1, false);
        s.meshes.push_back(o.done());
    }
    mk3ds::Light light;
    light.name = "Light01";
    light.position = tofile({-300, 800, -900});
    s.lights.push_back(light);
    // N = 500 frames: 0 to 400 fly in from afar to the rest view (frame N - 100), 400 to 499 fly on to
    // the box view (frame N - 1), from which the doors fill the picture.
    camerapath(s,
               {
                   {0, {-1500, 950, -2600}, {0, 0, 0}, 0.0f},
                   {200, {-420, 380, -1350}, {0, 0, -40}, 0.0f},
                   {400, {0, 110, -720}, {0, 0, -60}, 1.0f},
                   {499, {0, 0, -431}, {0, 0, -311}, 1.0f},
               },
               {{0, 0.0f}, {400, 0.0f}}, 500);
    return save(s, path, error);
}

} // namespace mkdata
