// showcase-scene [--no-maps] FILE [FRAME...]: loads a .3DS file as the show does and prints what the
// loader read, one record per line (the format is described in the README).
#include "platform/paths.h"
#include "platform/program.h"
#include "scene/loader.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void usage(std::FILE *to) {
    std::fputs(
        "Usage: showcase-scene [--no-maps] FILE [FRAME...]\n"
        "\n"
        "Loads a .3DS scene as the show does and prints what was read; each FRAME adds the camera\n"
        "of that animation frame. Texture maps are looked up in gfx/maps/ of the first folder, from\n"
        "the file's own folder upwards, that has one.\n"
        "\n"
        "  --no-maps   name the texture maps without reading them\n"
        "  --help      this text\n"
        "  --version   the program's name and version\n"
        "\n"
        "A file the loader refuses prints the loader's own one-line message and ends with its status.\n",
        to);
}

// A name in double quotes, with quotes and backslashes escaped, so that names with spaces stay one field.
std::string quoted(const char *s) {
    if (!s) return "-";
    std::string out = "\"";
    for (; *s; s++) {
        if (*s == '"' || *s == '\\') out += '\\';
        out += *s;
    }
    return out + "\"";
}

void point(const char *label, const d3point &p) {
    std::printf(" %s %.9g %.9g %.9g", label, p.x, p.y, p.z);
}

// The folder the show would run in: the first of the file's folder and its parents that has gfx/maps.
fs::path dataroot(const fs::path &file) {
    const fs::path start = file.parent_path();
    for (fs::path dir = start;; dir = dir.parent_path()) {
        const fs::path maps = translatepath((dir.string() + "/gfx/maps").c_str());
        std::error_code ec;
        if (fs::is_directory(maps, ec)) return dir;
        if (dir == dir.parent_path()) break;
    }
    return start;
}

} // namespace

int main(int argc, char **argv) {
    setprogramname(argv[0]); // the engine's messages name this tool
    bool maps = true;
    std::vector<const char *> args;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--no-maps") == 0)
            maps = false;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("showcase-scene %s\n", SHOWCASE_VERSION);
            return 0;
        } else
            args.push_back(argv[i]);
    }
    if (args.empty()) {
        usage(stderr);
        return 2;
    }
    std::vector<long> frames;
    for (size_t i = 1; i < args.size(); i++) {
        char *end;
        errno = 0;
        const long f = std::strtol(args[i], &end, 10);
        if (*args[i] == 0 || *end != 0 || errno || f < 0) {
            std::fprintf(stderr, "showcase-scene: %s is not a frame number\n", args[i]);
            return 2;
        }
        frames.push_back(f);
    }

    std::error_code ec;
    const fs::path file = fs::absolute(translatepath(args[0]), ec);
    const fs::path root = dataroot(file);
    if (!root.empty()) fs::current_path(root, ec);
    world *w = read3ds(file.string().c_str(), maps);

    std::printf("frames %ld\n", w->numframes);
    for (int i = 0; i < w->numobjects; i++) {
        const object &o = w->objects[i];
        std::printf("object %s verts %d faces %d mapcoords %d materials", quoted(o.name).c_str(), o.numverts,
                    o.numfaces, o.nummapcoords);
        // The materials of its faces in order of first use, by the index the loader stored (a face that no
        // material group names has index 0); "-" when the scene has no materials.
        std::vector<int> seen;
        for (int f = 0; f < o.numfaces; f++) {
            const int m = w->nummaterials > 0 ? o.faces[f].materialindex : -1;
            bool dup = false;
            for (int s : seen) dup = dup || s == m;
            if (!dup) seen.push_back(m);
        }
        for (int m : seen) std::printf(" %s", m < 0 ? "-" : quoted(w->materials[m].name).c_str());
        std::printf("\n");
    }
    for (int i = 0; i < w->nummaterials; i++) {
        const material &m = w->materials[i];
        std::printf("material %s maptype %d map %s uscale %.9g vscale %.9g\n", quoted(m.name).c_str(),
                    m.maptype, quoted(m.mapname).c_str(), m.uscale, m.vscale);
    }
    for (int i = 1; i < w->numlights; i++) {
        std::printf("light %d", i);
        point("position", w->lights[i].position);
        point("target", w->lights[i].target);
        std::printf("\n");
    }
    for (int i = 0; i < w->numcams; i++) {
        std::printf("camera %d", i);
        point("position", cams[i].position);
        point("target", cams[i].target);
        std::printf(" roll %d\n", cams[i].roll);
    }
    int status = 0;
    for (long f : frames) {
        if (!w->campositions || f >= w->numframes + 10) {
            std::fprintf(stderr, "%s: frame %ld is outside the camera table (%ld frames)\n", args[0], f,
                         w->campositions ? w->numframes + 10 : 0L);
            status = 1;
            continue;
        }
        const camera &c = w->campositions[f];
        std::printf("frame %ld", f);
        point("position", c.position);
        point("target", c.target);
        std::printf(" roll %d\n", c.roll);
    }
    return status;
}
