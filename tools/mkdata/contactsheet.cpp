#include "contactsheet.h"

#include "raster.h"
#include "text.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace mkdata {

namespace {

bool readbmp(const std::string &path, Image &img, std::string &error) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": cannot be opened";
        return false;
    }
    std::vector<unsigned char> b;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    fclose(f);
    auto le32 = [&](size_t at) {
        return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                    static_cast<uint32_t>(b[at + 3]) << 24);
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || (b[28] | b[29] << 8) != 24) {
        error = path + ": not a 24-bit BMP";
        return false;
    }
    const int w = le32(18), h = le32(22);
    const size_t stride = static_cast<size_t>((w * 3 + 3) / 4 * 4);
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || b.size() < 54 + stride * static_cast<size_t>(h)) {
        error = path + ": its pixels do not match its header";
        return false;
    }
    img = Image(w, h);
    for (int y = 0; y < h; ++y) {
        const unsigned char *row = b.data() + 54 + static_cast<size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x)
            img.at(x, y) = {row[x * 3 + 2] / 255.0f, row[x * 3 + 1] / 255.0f, row[x * 3] / 255.0f};
    }
    return true;
}

} // namespace

namespace {

// libpng reports a fault by a longjmp back to the setjmp here, which must not skip the end of a C++ object:
// the caller owns the row and composes the message.
bool encodepng(FILE *f, const Image &img, const std::vector<float> *alpha, unsigned char *row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const size_t channels = alpha ? 4 : 3;
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.w), static_cast<png_uint_32>(img.h), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            unsigned char *p = &row[static_cast<size_t>(x) * channels];
            p[0] = tobyte(img.at(x, y).r);
            p[1] = tobyte(img.at(x, y).g);
            p[2] = tobyte(img.at(x, y).b);
            if (alpha) p[3] = tobyte((*alpha)[static_cast<size_t>(y * img.w + x)]);
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writepng(const Image &img, const std::string &path, std::string &error,
              const std::vector<float> *alpha) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot be opened for writing";
        return false;
    }
    std::vector<unsigned char> row(static_cast<size_t>(img.w) * (alpha ? 4 : 3));
    const bool encoded = encodepng(f, img, alpha, row.data());
    const bool closed = fclose(f) == 0;
    if (!encoded) {
        error = path + ": the PNG could not be written";
        return false;
    }
    if (!closed) {
        error = path + ": could not be written completely";
        return false;
    }
    return true;
}

namespace {

struct Tile {
    std::string label;
    Image img;
};

} // namespace

bool writecontactsheet(const std::string &datadir, const std::string &out, std::string &error) {
    namespace fs = std::filesystem;
    if (!checkfonts(error)) return false;
    struct Section {
        std::string title;
        std::vector<std::string> files;
        int height; // tile height
    };
    std::vector<Section> sections = {
        {"screens and logos",
         {"gfx/zarn.bmp", "gfx/veltor.bmp", "gfx/eye.jpg", "gfx/menubgd.jpg", "gfx/artmenu.jpg",
          "gfx/credits.jpg", "gfx/greets.jpg"},
         240},
        {"gallery",
         {"gfx/morlen/mw-tolve.jpg", "gfx/morlen/mw-brask.jpg", "gfx/morlen/mw-kindel2.jpg",
          "gfx/morlen/mw-ospar.jpg", "gfx/morlen/mw-feldt.jpg", "gfx/tasp/vornig.jpg", "gfx/tasp/plessa.jpg",
          "gfx/tasp/durnet.jpg", "gfx/tasp/halde.jpg", "gfx/tasp/grumol.jpg", "gfx/wevold/mirk4.jpg",
          "gfx/wevold/tosel2.jpg", "gfx/wevold/quendra3.jpg"},
         240},
        {"texture maps", {}, 192},
    };
    std::error_code ec;
    std::vector<std::string> maps;
    for (const auto &e : fs::directory_iterator(fs::path(datadir) / "gfx/maps", ec))
        maps.push_back("gfx/maps/" + e.path().filename().string());
    if (ec) {
        error = datadir + "/gfx/maps: " + ec.message() + " (build the data tree first)";
        return false;
    }
    std::sort(maps.begin(), maps.end());
    sections[2].files = maps;

    const int width = 1760, margin = 16, labelh = 18, titleh = 34;
    // Lay the tiles out in rows first, to know the height of the sheet.
    struct Placed {
        int x, y;
        Tile tile;
    };
    std::vector<Placed> placed;
    std::vector<std::pair<int, std::string>> titles;
    int y = margin;
    for (const Section &s : sections) {
        titles.push_back({y, s.title});
        y += titleh;
        int x = margin, rowh = 0;
        for (const std::string &file : s.files) {
            Image img;
            const std::string path = (fs::path(datadir) / file).string();
            const bool ok = file.size() > 4 && file.substr(file.size() - 4) == ".bmp"
                                ? readbmp(path, img, error)
                                : readjpeg(path, img, error);
            if (!ok) return false;
            const int th = s.height, tw = std::max(1, img.w * th / img.h);
            if (x + tw > width - margin) {
                x = margin;
                y += rowh + labelh + 10;
                rowh = 0;
            }
            placed.push_back({x, y, {file.substr(file.rfind('/') + 1), resize(img, tw, th)}});
            x += tw + 12;
            rowh = std::max(rowh, th);
        }
        y += rowh + labelh + 18;
    }
    // The artists' bar, cut into four columns of four entries.
    Image bar;
    if (!readbmp((fs::path(datadir) / "gfx/artbalk.bmp").string(), bar, error)) return false;
    titles.push_back({y, "artists' bar (artbalk.bmp, 100 x 1600, in four columns)"});
    y += titleh;
    for (int c = 0; c < 4; ++c) {
        Image part(100, 400);
        for (int yy = 0; yy < 400; ++yy)
            for (int xx = 0; xx < 100; ++xx) part.at(xx, yy) = bar.at(xx, c * 400 + yy);
        placed.push_back({margin + c * 124, y, {"rows " + std::to_string(c * 400) + "-", part}});
    }
    y += 400 + labelh + margin;

    Image sheet(width, y, hex(0x202428));
    for (const auto &[ty, title] : titles)
        drawtext(sheet, Font::SansBold, 18.0f, static_cast<float>(margin), static_cast<float>(ty) + 22.0f,
                 title, hex(0xf0f0f0));
    for (const Placed &p : placed) {
        for (int yy = 0; yy < p.tile.img.h; ++yy)
            for (int xx = 0; xx < p.tile.img.w; ++xx) sheet.at(p.x + xx, p.y + yy) = p.tile.img.at(xx, yy);
        drawtext(sheet, Font::Sans, 12.0f, static_cast<float>(p.x),
                 static_cast<float>(p.y + p.tile.img.h) + 14.0f, p.tile.label, hex(0xc0c8d0));
    }
    return writepng(sheet, out, error);
}

} // namespace mkdata
