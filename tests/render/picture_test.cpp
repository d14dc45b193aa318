// A small scene written with the .3DS writer, drawn by showcase-render and compared with a reference
// frame that was looked at before it was stored: textured, transparent, environment-mapped and Gouraud
// faces, some crossing the screen edges and the near plane, over a background picture.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mk3ds.h"

namespace fs = std::filesystem;

namespace {

void writejpeg(const fs::path &path, int w, int h, uint32_t (*colour)(int, int)) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(w) * 3);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const uint32_t rgb = colour(x, y);
            row[size_t(x) * 3] = (rgb >> 16) & 255;
            row[size_t(x) * 3 + 1] = (rgb >> 8) & 255;
            row[size_t(x) * 3 + 2] = rgb & 255;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

bool readpng(const fs::path &path, std::vector<unsigned char> &rgb, unsigned &w, unsigned &h) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGB;
    w = img.width;
    h = img.height;
    rgb.resize(PNG_IMAGE_SIZE(img));
    return png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr) != 0;
}

mk3ds::Mesh quad(const std::string &name, const std::string &mat, mk3ds::Vec3 o, mk3ds::Vec3 a, mk3ds::Vec3 b,
                 float tiles) {
    mk3ds::Mesh m;
    m.name = name;
    m.vertices = {o,
                  {o.x + a.x, o.y + a.y, o.z + a.z},
                  {o.x + a.x + b.x, o.y + a.y + b.y, o.z + a.z + b.z},
                  {o.x + b.x, o.y + b.y, o.z + b.z}};
    m.mapcoords = {{0, 0}, {tiles, 0}, {tiles, tiles}, {0, tiles}};
    m.faces = {{0, 1, 2, 7}, {0, 2, 3, 7}};
    m.groups = {{mat, {0, 1}}};
    return m;
}

// A sphere of rings, faces wound counter-clockwise seen from outside.
mk3ds::Mesh sphere(const std::string &name, const std::string &mat, mk3ds::Vec3 c, float r, int seg,
                   int rings) {
    mk3ds::Mesh m;
    m.name = name;
    for (int i = 0; i <= rings; i++)
        for (int j = 0; j <= seg; j++) {
            const float th = 3.14159265f * float(i) / float(rings), ph = 6.2831853f * float(j) / float(seg);
            m.vertices.push_back({c.x + r * std::sin(th) * std::cos(ph),
                                  c.y + r * std::sin(th) * std::sin(ph), c.z + r * std::cos(th)});
            m.mapcoords.push_back({float(j) / float(seg), float(i) / float(rings)});
        }
    std::vector<uint16_t> all;
    for (int i = 0; i < rings; i++)
        for (int j = 0; j < seg; j++) {
            const uint16_t a = uint16_t(i * (seg + 1) + j), b = uint16_t(a + seg + 1);
            if (i > 0) m.faces.push_back({a, b, uint16_t(a + 1), 7});
            if (i + 1 < rings) m.faces.push_back({uint16_t(a + 1), b, uint16_t(b + 1), 7});
        }
    for (size_t k = 0; k < m.faces.size(); k++) all.push_back(uint16_t(k));
    m.groups = {{mat, all}};
    return m;
}

// A box with outward faces.
mk3ds::Mesh box(const std::string &name, const std::string &mat, mk3ds::Vec3 lo, mk3ds::Vec3 hi) {
    mk3ds::Mesh m;
    m.name = name;
    for (int k = 0; k < 8; k++)
        m.vertices.push_back({k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z});
    m.mapcoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {1, 1}, {0, 1}, {1, 0}, {0, 0}};
    const uint16_t q[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                              {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (auto &f : q) {
        m.faces.push_back({f[0], f[1], f[2], 7});
        m.faces.push_back({f[0], f[2], f[3], 7});
    }
    std::vector<uint16_t> all;
    for (size_t k = 0; k < m.faces.size(); k++) all.push_back(uint16_t(k));
    m.groups = {{mat, all}};
    return m;
}

mk3ds::Material mat(const std::string &name, const std::string &map) {
    mk3ds::Material m;
    m.name = name;
    m.map = map;
    return m;
}

} // namespace

TEST(Picture, SceneFrameMatchesTheReference) {
    const fs::path dir = fs::path(SHOWCASE_BUILD_DIR) / "scratch-render" / "picture";
    fs::remove_all(dir);
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
    s.materials = {mat("FLOOR", "CHECK.JPG"), mat("GOUTXT stone", "STONE.JPG"),
                   mat("ENVchrome", "CHROME.JPG"), mat("TRANSTXT glass", "GLASS.JPG")};
    // File frame: z is up. The floor runs under and behind the camera, through the near plane.
    s.meshes.push_back(quad("floor", "FLOOR", {-30, -25, 0}, {60, 0, 0}, {0, 80, 0}, 6));
    s.meshes.push_back(box("block", "GOUTXT stone", {-7, 2, 0}, {-2, 7, 5}));
    s.meshes.push_back(sphere("ball", "ENVchrome", {3, 6, 3}, 3, 12, 8));
    s.meshes.push_back(quad("pane", "TRANSTXT glass", {-1, -2, 0.5f}, {14, 3, 0}, {0, 0, 6}, 2));
    mk3ds::Light light;
    light.name = "Light01";
    light.position = {-12, -10, 14};
    s.lights.push_back(light);
    s.cameras.push_back({"Camera01", {1, -14, 5}, {0, 4, 2}, 0, 50});
    mk3ds::Keyframer k;
    k.end = 10;
    mk3ds::CameraNode cn;
    cn.name = "Camera01";
    cn.position = {{{}, {1, -14, 5}}};
    cn.target = {{{}, {0, 4, 2}}};
    k.cameras.push_back(cn);
    s.keyframer = k;
    std::string error;
    ASSERT_TRUE(mk3ds::save3ds(s, (dir / "gfx" / "scene.3ds").string(), &error)) << error;

    const fs::path out = dir / "frame.png";
    const std::string cmd = std::string(RENDER_TOOL) + " " + (dir / "gfx" / "scene.3ds").string() + " 3 " +
                            out.string() + " --background " + (dir / "back.jpg").string() + " > " +
                            (dir / "log.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    std::vector<unsigned char> got, want;
    unsigned w = 0, h = 0, rw = 0, rh = 0;
    ASSERT_TRUE(readpng(out, got, w, h));
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 240u);
    const fs::path ref = fs::path(RENDER_TEST_DIR) / "picture.png";
    ASSERT_TRUE(readpng(ref, want, rw, rh)) << "no reference frame " << ref << "; this run drew " << out;
    ASSERT_EQ(rw, w);
    ASSERT_EQ(rh, h);
    size_t changed = 0, first = got.size();
    for (size_t i = 0; i < got.size(); i++)
        if (got[i] != want[i]) {
            changed++;
            first = std::min(first, i);
        }
    EXPECT_EQ(changed, 0u) << "first change at pixel " << first / 3 % 320 << ", " << first / 3 / 320
                           << "; see " << out;
}

TEST(Picture, ToolNamesWhatIsWrong) {
    const fs::path dir = fs::path(SHOWCASE_BUILD_DIR) / "scratch-render" / "errors", log = dir / "log.txt";
    fs::create_directories(dir);
    const std::string missing = (dir / "missing.3ds").string(), png = (dir / "x.png").string();
    // Arguments, and a word the complaint must contain.
    const std::pair<std::string, std::string> cases[] = {
        {missing + " 0 " + png, "missing.3ds"}, {missing + " minus " + png, "minus"}, {"", "Usage"}};
    for (auto &[args, word] : cases) {
        EXPECT_NE(
            std::system((std::string(RENDER_TOOL) + " " + args + " > " + log.string() + " 2>&1").c_str()), 0);
        std::FILE *f = std::fopen(log.c_str(), "rb");
        std::string text(4096, '\0');
        text.resize(f ? std::fread(text.data(), 1, text.size(), f) : 0);
        if (f) std::fclose(f);
        EXPECT_NE(text.find(word), std::string::npos) << args << ": " << text;
    }
}
