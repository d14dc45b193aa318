#include "helpers.h"

#include <cstdio>
#include <filesystem>
#include <jpeglib.h>

std::string scratchdir(const std::string &name) {
    const std::filesystem::path dir = std::filesystem::path(SHOWCASE_BUILD_DIR) / "scratch-scene" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void writejpeg(const std::string &path, int w, int h, unsigned char r, unsigned char g, unsigned char b) {
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
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(w) * 3);
    for (int x = 0; x < w; x++) {
        row[3 * x] = r;
        row[3 * x + 1] = g;
        row[3 * x + 2] = b;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

mk3ds::Mesh trianglemesh(const std::string &name, const std::string &material) {
    mk3ds::Mesh m;
    m.name = name;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2, 7}};
    if (!material.empty()) m.groups = {{material, {0}}};
    return m;
}

mk3ds::Scene camerascene(int frames) {
    mk3ds::Scene s;
    s.cameras.push_back({"Camera01", {1, 2, 3}, {4, 5, 6}, 0, 50});
    mk3ds::Keyframer k;
    k.end = frames;
    s.keyframer = k;
    return s;
}
