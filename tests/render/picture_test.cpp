// A small scene written with the .3DS writer, drawn by showcase-render and compared with a reference
// frame that was looked at before it was stored: textured, transparent, environment-mapped and Gouraud
// faces, some crossing the screen edges and the near plane, over a background picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "common/pngfile.h"
#include "common/programrun.h"
#include "mk3ds.h"
#include "raster.h"

namespace fs = std::filesystem;

namespace {

void writejpeg(const fs::path &path, int w, int h, uint32_t (*colour)(int, int)) {
    mkdata::Image img(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) img.at(x, y) = mkdata::hex(colour(x, y));
    std::string error;
    ASSERT_TRUE(mkdata::writejpeg(img, path.string(), 95, error)) << error;
}

// A mesh of the given vertices, mapping and faces, all of one material.
mk3ds::Mesh mesh(const std::string &name, const std::string &mat, std::vector<mk3ds::Vec3> v,
                 std::vector<mk3ds::Mesh::Uv> uv, std::vector<mk3ds::Face> faces) {
    mk3ds::Mesh m;
    m.name = name;
    m.vertices = std::move(v);
    m.mapcoords = std::move(uv);
    m.faces = std::move(faces);
    m.groups = {{mat, {}}};
    for (size_t k = 0; k < m.faces.size(); k++) m.groups[0].faces.push_back(uint16_t(k));
    return m;
}

mk3ds::Mesh quad(const std::string &name, const std::string &mat, mk3ds::Vec3 o, mk3ds::Vec3 a, mk3ds::Vec3 b,
                 float t) {
    return mesh(name, mat,
                {o,
                 {o.x + a.x, o.y + a.y, o.z + a.z},
                 {o.x + a.x + b.x, o.y + a.y + b.y, o.z + a.z + b.z},
                 {o.x + b.x, o.y + b.y, o.z + b.z}},
                {{0, 0}, {t, 0}, {t, t}, {0, t}}, {{0, 1, 2, 7}, {0, 2, 3, 7}});
}

// A sphere of rings, faces wound counter-clockwise seen from outside.
mk3ds::Mesh sphere(const std::string &name, const std::string &mat, mk3ds::Vec3 c, float r, int seg,
                   int rings) {
    mk3ds::Mesh m = mesh(name, mat, {}, {}, {});
    for (int i = 0; i <= rings; i++)
        for (int j = 0; j <= seg; j++) {
            const float th = 3.14159265f * float(i) / float(rings), ph = 6.2831853f * float(j) / float(seg);
            m.vertices.push_back({c.x + r * std::sin(th) * std::cos(ph),
                                  c.y + r * std::sin(th) * std::sin(ph), c.z + r * std::cos(th)});
            m.mapcoords.push_back({float(j) / float(seg), float(i) / float(rings)});
        }
    for (int i = 0; i < rings; i++)
        for (int j = 0; j < seg; j++) {
            const uint16_t a = uint16_t(i * (seg + 1) + j), b = uint16_t(a + seg + 1);
            if (i > 0) m.faces.push_back({a, b, uint16_t(a + 1), 7});
            if (i + 1 < rings) m.faces.push_back({uint16_t(a + 1), b, uint16_t(b + 1), 7});
        }
    for (size_t k = 0; k < m.faces.size(); k++) m.groups[0].faces.push_back(uint16_t(k));
    return m;
}

// A box with outward faces.
mk3ds::Mesh box(const std::string &name, const std::string &mat, mk3ds::Vec3 lo, mk3ds::Vec3 hi) {
    std::vector<mk3ds::Vec3> v;
    std::vector<mk3ds::Face> f;
    for (int k = 0; k < 8; k++) v.push_back({k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z});
    for (auto q : {std::array<uint16_t, 4>{0, 2, 3, 1},
                   {4, 5, 7, 6},
                   {0, 1, 5, 4},
                   {2, 6, 7, 3},
                   {0, 4, 6, 2},
                   {1, 3, 7, 5}})
        f.insert(f.end(), {{q[0], q[1], q[2], 7}, {q[0], q[2], q[3], 7}});
    return mesh(name, mat, v, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {1, 1}, {0, 1}, {1, 0}, {0, 0}}, f);
}

} // namespace

TEST(Picture, SceneFrameMatchesTheReference) {
    const fs::path dir = programrun::scratch("render", "picture");
    fs::create_directories(dir / "gfx" / "maps");
    writejpeg(dir / "gfx" / "maps" / "check.jpg", 256, 256,
              [](int x, int y) -> uint32_t { return ((x / 32 + y / 32) & 1) ? 0xd8c8a0u : 0x304878u; });
    writejpeg(dir / "gfx" / "maps" / "stone.jpg", 256, 256, [](int x, int y) -> uint32_t {
        const int g = 90 + ((x * 7 + y * 13) % 40) + ((x / 16 + y / 16) % 2) * 30;
        return uint32_t(g << 16 | (g - 10) << 8 | (g - 30));
    });
    writejpeg(dir / "gfx" / "maps" / "chrome.jpg", 256, 256, [](int x, int y) -> uint32_t {
        const float d = std::hypot(float(x - 100), float(y - 90)) / 180.0f;
        const int v = std::max(0, 255 - int(d * 255));
        return uint32_t(v << 16 | v << 8 | std::min(255, v + 60));
    });
    writejpeg(dir / "gfx" / "maps" / "glass.jpg", 256, 256,
              [](int x, int) -> uint32_t { return (x / 16) % 2 ? 0xf04030u : 0x30f060u; });
    writejpeg(dir / "back.jpg", 320, 240,
              [](int x, int y) -> uint32_t { return uint32_t((x * 255 / 319) << 16 | (y * 255 / 239)); });

    mk3ds::Scene s;
    s.materials = {
        mk3ds::makematerial("FLOOR", "CHECK.JPG"), mk3ds::makematerial("GOUTXT stone", "STONE.JPG"),
        mk3ds::makematerial("ENVchrome", "CHROME.JPG"), mk3ds::makematerial("TRANSTXT glass", "GLASS.JPG")};
    // File frame: z is up. The floor runs under and behind the camera, through the near plane.
    s.meshes = {quad("floor", "FLOOR", {-30, -25, 0}, {60, 0, 0}, {0, 80, 0}, 6),
                box("block", "GOUTXT stone", {-7, 2, 0}, {-2, 7, 5}),
                sphere("ball", "ENVchrome", {3, 6, 3}, 3, 12, 8),
                quad("pane", "TRANSTXT glass", {-1, -2, 0.5f}, {14, 3, 0}, {0, 0, 6}, 2)};
    s.lights = {mk3ds::makelight("Light01", {-12, -10, 14})};
    s.cameras = {mk3ds::makecamera("Camera01", {1, -14, 5}, {0, 4, 2})};
    s.keyframer = mk3ds::Keyframer{};
    s.keyframer->end = 10;
    s.keyframer->cameras = {{"Camera01", -1, -1, {{{}, {1, -14, 5}}}, {}, {}, {{{}, {0, 4, 2}}}}};
    std::string error;
    ASSERT_TRUE(mk3ds::save3ds(s, (dir / "gfx" / "scene.3ds").string(), &error)) << error;

    const fs::path out = dir / "frame.png", ref = fs::path(RENDER_TEST_DIR) / "picture.png";
    const auto r = programrun::run(std::string(RENDER_TOOL) + " " + (dir / "gfx" / "scene.3ds").string() +
                                       " 3 " + out.string() + " --background " + (dir / "back.jpg").string(),
                                   dir, dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const Rgb got = readpng(out), want = readpng(ref);
    ASSERT_FALSE(want.px.empty()) << "no reference frame " << ref << "; this run drew " << out;
    ASSERT_EQ(std::tie(want.width, want.height), std::tie(got.width, got.height));
    const auto first = std::mismatch(got.px.begin(), got.px.end(), want.px.begin()).first - got.px.begin();
    EXPECT_EQ(first, got.px.end() - got.px.begin())
        << "first change at pixel " << first / 3 % 320 << ", " << first / 3 / 320 << "; see " << out;
}

TEST(Picture, ToolNamesWhatIsWrong) {
    const std::string dir = programrun::scratch("render", "errors");
    // Arguments, and a word the complaint must contain.
    const std::pair<std::string, std::string> cases[] = {
        {"missing.3ds 0 x.png", "missing.3ds"}, {"missing.3ds minus x.png", "minus"}, {"", "Usage"}};
    for (auto &[args, word] : cases) {
        const auto r = programrun::run(std::string(RENDER_TOOL) + " " + args, dir, dir);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE((r.out + r.err).find(word), std::string::npos) << args << ": " << r.out << r.err;
    }
}
