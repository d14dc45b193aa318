// The renderer's speed: the rasterisers in nanoseconds per pixel against a bare affine 16.16 texel loop
// over the same spans (the floor for any texture mapper), a whole frame of about 2,000 textured
// triangles, and the normals of a 20,000-face mesh. Compare the s_per_pixel counters within one run.
// The rasterisers, the floor and the frame run at scales 1, 4 and 8 (the argument): the same triangle
// and the same view in a 320N x 240N frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "math/math3d.h"
#include "render/tribuffer.h"

namespace {

std::vector<uint32_t> texture() {
    std::vector<uint32_t> t(65536);
    for (uint32_t i = 0; i < 65536; i++) t[i] = (i * 2654435761u) & 0xffffffu;
    return t;
}

const std::vector<uint32_t> tex = texture();
// Large enough for the largest frame.
std::vector<uint32_t> screenbuf(size_t(320 * MAXSCALE) * size_t(240 * MAXSCALE), 0x404040u);

// A large triangle with perspective (w from 0.2 to 1), mapped over 2 x 2 texture tiles.
struct bigtriangle {
    textmapclip rec{};
    std::vector<std::pair<int, int>> spans; // (row, first x, count) as drawn
    std::vector<int> starts;
    long pixels = 0;
    renderframe frame;
    bigtriangle(bool gouraud, int scale) : frame(makerenderframe(scale)) {
        rec.texture = const_cast<uint32_t *>(tex.data());
        const float n = float(frame.scale);
        if (gouraud) {
            gtd3point p[3] = {{5 * n, 3 * n, 1.0f, 0, 0, 20, 40, 60},
                              {316 * n, 60 * n, 0.5f, 511, 90, 200, 30, 100},
                              {40 * n, 237 * n, 0.2f, 60, 511, 90, 250, 10}};
            calcgtmapdeltas(p, &rec);
        } else {
            td3point p[3] = {{5 * n, 3 * n, 1.0f, 0, 0},
                             {316 * n, 60 * n, 0.5f, 511, 90},
                             {40 * n, 237 * n, 0.2f, 60, 511}};
            calctmapdeltas(p, &rec);
        }
        // Measure its spans by drawing it once over black with a texture of no zero texels.
        const int W = frame.width, H = frame.height;
        std::vector<uint32_t> white(65536, 1), probe(size_t(W) * size_t(H), 0);
        textmapclip t = rec;
        t.texture = white.data();
        plottmaptri(&t, reinterpret_cast<unsigned char *>(probe.data()), frame);
        for (int r = 0; r < H; r++) {
            int first = -1, n = 0;
            for (int x = 0; x < W; x++)
                if (probe[size_t(r) * size_t(W) + size_t(x)]) {
                    if (first < 0) first = x;
                    n++;
                }
            if (n) {
                spans.push_back({r, n});
                starts.push_back(first);
                pixels += n;
            }
        }
    }
};

void draw(benchmark::State &state, drawfunc fn, bool gouraud) {
    const bigtriangle big(gouraud, int(state.range(0)));
    unsigned char *screen = reinterpret_cast<unsigned char *>(screenbuf.data());
    for (auto _ : state) {
        textmapclip t = big.rec;
        fn(&t, screen, big.frame);
        benchmark::ClobberMemory();
    }
    state.counters["s_per_pixel"] = benchmark::Counter(
        double(big.pixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The floor: per span one start, then only adds, shifts and one texel read per pixel.
void BM_AffineTexelLoop(benchmark::State &state) {
    const bigtriangle big(false, int(state.range(0)));
    const uint32_t *t = tex.data();
    for (auto _ : state) {
        for (size_t s = 0; s < big.spans.size(); s++) {
            uint32_t *dst = screenbuf.data() + size_t(big.spans[s].first) * size_t(big.frame.width) +
                            size_t(big.starts[s]);
            uint32_t u = uint32_t(s) << 18, v = uint32_t(s) << 17;
            const uint32_t du = 0x13456, dv = 0x5432;
            const int n = big.spans[s].second;
            for (int i = 0; i < n; i++) {
                dst[i] = t[((v >> 8) & 0xff00u) | ((u >> 16) & 0xffu)];
                u += du;
                v += dv;
            }
        }
        benchmark::ClobberMemory();
    }
    state.counters["s_per_pixel"] = benchmark::Counter(
        double(big.pixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_plottmaptri(benchmark::State &state) {
    draw(state, plottmaptri, false);
}
void BM_plottranstmaptri(benchmark::State &state) {
    draw(state, plottranstmaptri, false);
}
void BM_plotgtmaptri(benchmark::State &state) {
    draw(state, plotgtmaptri, true);
}
void BM_plotgtmaptriplain(benchmark::State &state) {
    draw(state, plotgtmaptriplain, true);
}

// Objects built in memory: grids of quads facing the camera.
struct scene {
    std::vector<std::vector<d3point>> pts, dest;
    std::vector<std::vector<face>> faces;
    std::vector<std::vector<float>> uv;
    std::vector<object> objects;
    material mat{nullptr, 1, nullptr, nullptr, 1.0f, 1.0f};
    camera cam{{0, 0, 0, 0}, {0, 0, 1, 0}, 0};
    world w{};

    // A wall of nx x ny quads at depth z, wide enough to cover the view.
    void wall(int nx, int ny, float z, float halfw, float halfh) {
        std::vector<d3point> p;
        std::vector<face> f;
        std::vector<float> c;
        for (int y = 0; y <= ny; y++)
            for (int x = 0; x <= nx; x++) {
                p.push_back({-halfw + 2 * halfw * float(x) / float(nx),
                             -halfh + 2 * halfh * float(y) / float(ny), z + std::sin(float(x * 3 + y)) * 0.5f,
                             0});
                c.push_back(float(x) / 16.0f); // about one texel per pixel
                c.push_back(float(y) / 16.0f);
            }
        const int V = int(p.size());
        for (int y = 0; y < ny; y++)
            for (int x = 0; x < nx; x++) {
                const int a = y * (nx + 1) + x, b = a + nx + 1;
                face f1{3, {a, a + 1, b}, 0, const_cast<uint32_t *>(tex.data()), 0, 1};
                face f2{3, {a + 1, b + 1, b}, 0, const_cast<uint32_t *>(tex.data()), 0, 1};
                f.push_back(f1);
                f.push_back(f2);
            }
        p.resize(size_t(2 * V) + f.size());
        pts.push_back(p);
        dest.push_back(std::vector<d3point>(p.size()));
        faces.push_back(f);
        uv.push_back(c);
    }
    void finish() {
        for (size_t k = 0; k < pts.size(); k++) {
            object o{};
            o.numfaces = int(faces[k].size());
            o.numverts = int((pts[k].size() - faces[k].size()) / 2);
            o.points = pts[k].data();
            o.destpoints = dest[k].data();
            o.faces = faces[k].data();
            o.mapcoords = uv[k].data();
            o.nummapcoords = o.numverts;
            putidentityinmatrix(o.matrix);
            initnormals(&o);
            objects.push_back(o);
        }
        w.numobjects = int(objects.size());
        w.objects = objects.data();
        w.numframes = 1;
        w.campositions = &cam;
        w.materials = &mat;
        w.nummaterials = 1;
    }
};

// The frame both frame benchmarks draw: two walls, each a little larger than the view at its depth,
// about 1,000 triangles each.
void framescene(scene &s) {
    if (!TRIBUFFER) inittribuffer();
    initplanes();
    s.wall(23, 22, 60.0f, 31.0f, 23.5f);
    s.wall(23, 22, 100.0f, 51.0f, 38.5f);
    s.finish();
}

void BM_FrameOf2000Triangles(benchmark::State &state) {
    scene s;
    framescene(s);
    const renderframe f = makerenderframe(int(state.range(0)));
    unsigned char *screen = reinterpret_cast<unsigned char *>(screenbuf.data());
    // Rows and pixels of one frame, counted by drawing its records with a texture of no zero texels.
    whichtri = whichindex = 0;
    processworldcamera(s.w, screen, 0, f);
    long rows = 0, pixels = 0;
    std::vector<uint32_t> ones(65536, 1), probe(size_t(f.width) * size_t(f.height));
    for (int k = 0; k < whichindex; k++) {
        rows += std::max(0, sortedtri[k]->lastrow - sortedtri[k]->currow);
        textmapclip t = *sortedtri[k];
        t.texture = ones.data();
        std::fill(probe.begin(), probe.end(), 0u);
        plottmaptri(&t, reinterpret_cast<unsigned char *>(probe.data()), f);
        for (uint32_t p : probe) pixels += p;
    }
    for (auto _ : state) {
        facesortprocess(&s.w, screen, 0, f);
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = whichindex;
    state.counters["rows"] = double(rows);
    state.counters["pixels"] = double(pixels);
    state.counters["fps"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

// The same frame without drawing: camera, transform, culling, clipping, set-up and the sort.
void BM_FramePassAndSortOnly(benchmark::State &state) {
    scene s;
    framescene(s);
    for (auto _ : state) {
        whichtri = whichindex = 0;
        processworldcamera(s.w, nullptr, 0);
        qsorttribuffer(0, whichindex - 1);
        benchmark::ClobberMemory();
    }
}

void BM_InitNormals20000Faces(benchmark::State &state) {
    scene s;
    s.wall(100, 100, 10.0f, 50.0f, 50.0f); // 20,000 faces
    object o{};
    o.numfaces = int(s.faces[0].size());
    o.numverts = int((s.pts[0].size() - s.faces[0].size()) / 2);
    o.points = s.pts[0].data();
    o.faces = s.faces[0].data();
    for (auto _ : state) {
        initnormals(&o);
        benchmark::ClobberMemory();
    }
    state.counters["faces"] = o.numfaces;
}

} // namespace

// Medians of several repetitions: the machine is shared, single runs wander.
BENCHMARK(BM_AffineTexelLoop)->Arg(1)->Arg(4)->Arg(8)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_plottmaptri)->Arg(1)->Arg(4)->Arg(8)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_plottranstmaptri)->Arg(1)->Arg(4)->Arg(8)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_plotgtmaptri)->Arg(1)->Arg(4)->Arg(8)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_plotgtmaptriplain)->Arg(1)->Arg(4)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_FrameOf2000Triangles)
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FramePassAndSortOnly)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InitNormals20000Faces)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
