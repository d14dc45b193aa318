// showcase-render SCENE FRAME OUT.png [--yrot N] [--background PICTURE] [--scale N]
//
// Loads a scene as the show does (texture maps from the gfx/maps of its data tree), computes
// its normals, draws one frame of its camera path into a 320 x 240 frame (or one N times as large) over
// black or over a picture, and writes the frame as a PNG.
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/image.h"
#include "jpeglib.h"
#include "math/math3d.h"
#include "platform/paths.h"
#include "platform/program.h"
#include "render/render.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace fs = std::filesystem;

namespace {

const char *const USAGE =
    "Usage: showcase-render SCENE FRAME OUT.png [--yrot N] [--background PICTURE] [--scale N]\n"
    "\n"
    "Draws one frame of a .3DS scene with the show's own renderer into a 320 x 240 PNG.\n"
    "\n"
    "  SCENE       a .3DS scene; its texture maps are read from gfx/maps of the first\n"
    "              folder, from the scene's own folder upwards, that has one\n"
    "  FRAME       the frame of the scene's camera path to draw, from 0\n"
    "  OUT.png     the 320 x 240 picture to write\n"
    "  --yrot N    turn the scene by N angle units (256 a turn) about the vertical axis,\n"
    "              as the menu turns it\n"
    "  --background PICTURE  a 320 x 240 JPEG or BMP to draw over instead of black\n"
    "  --scale N   draw the same view N times as wide and high (1 to 8), 320N x 240N;\n"
    "              a background is enlarged to match, each pixel an N x N block\n"
    "  --help      this text\n"
    "  --version   the program's name and version\n"
    "\n"
    "Errors (a missing scene, a bad frame number, a background of the wrong size) print one\n"
    "line naming the file and the problem and end with status 1.\n";

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "showcase-render: %s\n", what.c_str());
    std::exit(1);
}

bool number(const char *s, long &out) {
    char *end = nullptr;
    errno = 0;
    out = std::strtol(s, &end, 10);
    return *s && !*end && errno == 0;
}

std::string lower(std::string s) {
    for (char &c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The size of a picture from its header, or false when it is not a picture we read.
bool picturesize(const std::string &path, int &w, int &h) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) fail(path + ": cannot open the background picture");
    unsigned char head[54] = {};
    const size_t got = std::fread(head, 1, sizeof head, f);
    bool ok = false;
    if (got >= 26 && head[0] == 'B' && head[1] == 'M') {
        std::int32_t iw, ih;
        std::memcpy(&iw, head + 18, 4);
        std::memcpy(&ih, head + 22, 4);
        w = iw;
        h = ih < 0 ? -ih : ih;
        ok = true;
    } else if (got >= 2 && head[0] == 0xff && head[1] == 0xd8) {
        std::rewind(f);
        jpeg_decompress_struct cinfo;
        struct errmgr {
            jpeg_error_mgr pub;
            std::jmp_buf jump;
        } err;
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = [](j_common_ptr c) {
            std::longjmp(reinterpret_cast<errmgr *>(c->err)->jump, 1);
        };
        if (!setjmp(err.jump)) {
            jpeg_create_decompress(&cinfo);
            jpeg_stdio_src(&cinfo, f);
            jpeg_read_header(&cinfo, TRUE);
            w = int(cinfo.image_width);
            h = int(cinfo.image_height);
            ok = true;
        }
        jpeg_destroy_decompress(&cinfo);
    }
    std::fclose(f);
    return ok;
}

void writepng(const std::string &path, const unsigned char *frame, const renderframe &rf) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) fail(path + ": cannot create the file (" + std::strerror(errno) + ")");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        std::fclose(f);
        fail(path + ": cannot write the PNG");
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(rf.width), png_uint_32(rf.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(size_t(rf.width) * 3);
    for (int y = 0; y < rf.height; y++) {
        const unsigned char *src = frame + size_t(y) * size_t(rf.pitch);
        for (int x = 0; x < rf.width; x++) {
            row[size_t(x) * 3 + 0] = src[x * 4 + 2];
            row[size_t(x) * 3 + 1] = src[x * 4 + 1];
            row[size_t(x) * 3 + 2] = src[x * 4 + 0];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) fail(path + ": cannot write the file");
}

} // namespace

int main(int argc, char **argv) {
    setprogramname(argv[0]); // the engine's messages name this tool
    std::vector<std::string> pos;
    long yrot = 0, scale = 1;
    bool turn = false;
    std::string background;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("showcase-render %s\n", SHOWCASE_VERSION);
            return 0;
        } else if (a == "--yrot") {
            if (i + 1 >= argc || !number(argv[i + 1], yrot))
                fail("--yrot needs a whole number of angle units");
            turn = true;
            i++;
        } else if (a == "--scale") {
            if (i + 1 >= argc || !number(argv[i + 1], scale) || scale < 1 || scale > MAXSCALE)
                fail("--scale needs a whole number from 1 to " + std::to_string(MAXSCALE));
            i++;
        } else if (a == "--background") {
            if (i + 1 >= argc) fail("--background needs a picture");
            background = argv[++i];
        } else if (a.size() > 1 && a[0] == '-' && !std::isdigit(static_cast<unsigned char>(a[1]))) {
            std::fputs(USAGE, stderr);
            fail("unknown option " + a);
        } else {
            pos.push_back(a);
        }
    }
    if (pos.size() != 3) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    long frame = 0;
    if (!number(pos[1].c_str(), frame) || frame < 0)
        fail(pos[1] + ": the frame must be a whole number from 0");

    std::error_code ec;
    const fs::path scene = fs::absolute(pos[0], ec);
    const fs::path out = fs::absolute(pos[2], ec);
    const fs::path bg = background.empty() ? fs::path() : fs::absolute(background, ec);
    if (!fs::is_regular_file(scene, ec)) fail(pos[0] + ": no such scene file");

    const renderframe rf = makerenderframe(int(scale));
    unsigned char *screen =
        static_cast<unsigned char *>(std::calloc(size_t(rf.pitch) * size_t(rf.height), 1));
    if (!screen) fail("out of memory");
    if (!bg.empty()) {
        int w = 0, h = 0;
        if (!picturesize(bg.string(), w, h)) fail(background + ": not a JPEG or BMP picture");
        if (w != 320 || h != 240)
            fail(background + ": the background must be 320 x 240, not " + std::to_string(w) + " x " +
                 std::to_string(h));
        if (lower(bg.extension().string()) == ".bmp")
            readbmp32(bg.string().c_str(), 0, 0, screen, size_t(vesaxx4) * 240);
        else if (!readjpg(bg.string().c_str(), screen, size_t(vesaxx4) * 240))
            fail(background + ": cannot read the background picture");
        // Enlarged in place from the last pixel back, so that nothing is overwritten before it is read.
        uint32_t *px = reinterpret_cast<uint32_t *>(screen);
        for (int y = rf.height - 1; y >= 0; y--)
            for (int x = rf.width - 1; x >= 0; x--)
                px[size_t(y) * size_t(rf.width) + size_t(x)] =
                    px[size_t(y / rf.scale) * 320 + size_t(x / rf.scale)];
    }

    // The show names its maps ".\gfx\maps\...": run in the first of the scene's folder and its parents
    // that has gfx/maps, as the show runs in its data tree.
    fs::path root = scene.parent_path();
    for (fs::path dir = root;; dir = dir.parent_path()) {
        if (fs::is_directory(translatepath((dir.string() + "/gfx/maps").c_str()), ec)) {
            root = dir;
            break;
        }
        if (dir == dir.parent_path()) break;
    }
    if (chdir(root.c_str()) != 0) fail(root.string() + ": cannot enter the scene's folder");
    const std::string relative = fs::relative(scene, root, ec).string();

    calctabs();
    inittribuffer();
    initplanes();
    world *w = read3ds(relative.c_str());
    if (!w->campositions || w->numframes <= 0)
        fail(pos[0] + ": the scene has no camera path to draw a frame of");
    if (frame >= w->numframes)
        fail(pos[0] + ": frame " + std::to_string(frame) + " is beyond the scene's " +
             std::to_string(w->numframes) + " frames");
    for (int k = 0; k < w->numobjects; k++) {
        putidentityinmatrix(w->objects[k].matrix);
        initnormals(&w->objects[k]);
    }
    if (turn)
        facesortprocessyrot(w, screen, int(frame), int(yrot & 255), rf);
    else
        facesortprocess(w, screen, int(frame), rf);
    writepng(out.string(), screen, rf);
    std::printf("%s: frame %ld of %s, %d triangles\n", pos[2].c_str(), frame, pos[0].c_str(), whichindex);
    return 0;
}
