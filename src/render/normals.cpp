// Face and vertex normals, computed once per object after loading. Corners at the same position (within
// 0.005 on each axis) share one smooth normal even where the mesh splits them for texture seams; the
// matching corners are found through a grid of cells rather than by testing every pair.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "render/rounding.h"
#include "render/tribuffer.h"

char equalpoints(d3point a, d3point b) {
    return std::fabs(a.x - b.x) < 0.005f && std::fabs(a.y - b.y) < 0.005f && std::fabs(a.z - b.z) < 0.005f;
}

long find3dtop(object *o, long f) {
    const face &fc = o->faces[f];
    long k = 0;
    int32_t m = trunc32(o->points[fc.index[0]].y);
    for (long s = 1; s < fc.count && s < 3; s++) {
        const float y = o->points[fc.index[s]].y;
        if (double(m) > double(y)) {
            k = s;
            m = trunc32(y);
        }
    }
    return k;
}

namespace {

// Cells twice the match distance wide: two matching points lie in the same or neighbouring cells.
constexpr double CELL = 0.01;

struct cellkey {
    int64_t x, y, z;
    bool operator==(const cellkey &o) const { return x == o.x && y == o.y && z == o.z; }
};

struct cellhash {
    size_t operator()(const cellkey &k) const {
        uint64_t h = uint64_t(k.x) * 0x9E3779B97F4A7C15ull;
        h ^= uint64_t(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        h ^= uint64_t(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
        return size_t(h);
    }
};

inline int64_t cellof(float c) {
    const double q = std::floor(double(c) / CELL);
    return int64_t(std::clamp(q, -4.0e18, 4.0e18));
}

inline bool finitepoint(const d3point &p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

} // namespace

void initnormals(object *o) {
    const int V = o->numverts, F = o->numfaces;
    d3point *pts = o->points;

    // Face normals, from the topmost corner and its two neighbours.
    for (int f = 0; f < F; f++) {
        face &fc = o->faces[f];
        d3point n{0.0f, 0.0f, 0.0f, 0.0f};
        const int count = fc.count >= 1 && fc.count <= 3 ? fc.count : 3;
        bool ok = true;
        for (int c = 0; c < count; c++) ok = ok && unsigned(fc.index[c]) < unsigned(V);
        if (ok) {
            const long k = find3dtop(o, f);
            const d3point &top = pts[fc.index[k]];
            const d3point &next = pts[fc.index[(k + 1) % count]];
            const d3point &prev = pts[fc.index[(k + count - 1) % count]];
            const float ex = prev.x - top.x, ey = prev.y - top.y, ez = prev.z - top.z;
            const float ax = next.x - top.x, ay = next.y - top.y, az = next.z - top.z;
            n.x = ey * az - ez * ay;
            n.y = ez * ax - ex * az;
            n.z = ex * ay - ey * ax;
            const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
            // A face without area has no direction; a zero normal keeps it out of its neighbours' sums.
            if (len > 0.0f) {
                const float inv = 1.0f / len;
                n.x *= inv;
                n.y *= inv;
                n.z *= inv;
            }
        }
        pts[2 * V + f] = n;
        fc.normalindex = 2 * V + f;
    }

    // Corners of every vertex, in face order (CSR lists).
    std::vector<int> start(size_t(V) + 1, 0);
    for (int f = 0; f < F; f++)
        for (int c = 0; c < 3; c++)
            if (unsigned(o->faces[f].index[c]) < unsigned(V)) start[size_t(o->faces[f].index[c]) + 1]++;
    for (int j = 0; j < V; j++) start[size_t(j) + 1] += start[size_t(j)];
    std::vector<int> corners(static_cast<size_t>(start[size_t(V)]));
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (int f = 0; f < F; f++)
            for (int c = 0; c < 3; c++) {
                const int j = o->faces[f].index[c];
                if (unsigned(j) < unsigned(V)) corners[size_t(fill[size_t(j)]++)] = 3 * f + c;
            }
    }

    // Vertices by cell.
    std::unordered_map<cellkey, std::vector<int>, cellhash> grid;
    grid.reserve(size_t(V));
    for (int j = 0; j < V; j++)
        if (finitepoint(pts[j])) grid[{cellof(pts[j].x), cellof(pts[j].y), cellof(pts[j].z)}].push_back(j);

    std::vector<int> found;
    for (int j = 0; j < V; j++) {
        if (!finitepoint(pts[j])) continue; // matches nothing, not even itself
        found.clear();
        const cellkey c{cellof(pts[j].x), cellof(pts[j].y), cellof(pts[j].z)};
        for (int64_t dx = -1; dx <= 1; dx++)
            for (int64_t dy = -1; dy <= 1; dy++)
                for (int64_t dz = -1; dz <= 1; dz++) {
                    const auto it = grid.find({c.x + dx, c.y + dy, c.z + dz});
                    if (it == grid.end()) continue;
                    for (int k : it->second)
                        if (equalpoints(pts[k], pts[j]))
                            found.insert(found.end(), corners.begin() + start[size_t(k)],
                                         corners.begin() + start[size_t(k) + 1]);
                }
        if (found.empty()) continue;
        // The sum runs over faces in order and their corners in order, as a test of every pair would.
        std::sort(found.begin(), found.end());
        float sx = 0.0f, sy = 0.0f, sz = 0.0f;
        for (int fc : found) {
            const d3point &n = pts[2 * V + fc / 3];
            sx += n.x;
            sy += n.y;
            sz += n.z;
        }
        const float invc = 1.0f / float(found.size());
        sx *= invc;
        sy *= invc;
        sz *= invc;
        const float len = std::sqrt(sx * sx + sy * sy + sz * sz);
        if (!(len > 0.0f)) continue; // faces cancel out or have no area: keep what the vertex had
        const float inv = 1.0f / len;
        pts[V + j] = d3point{sx * inv, sy * inv, sz * inv, pts[V + j].w};
    }
}
