// showcase-scalecheck [--data DIR] SCALE...
//
// Draws the 3D views of the tour at 320 x 240 and SCALE times larger and prints how far they agree, one line
// a scale. Scale 2 is a test of the suite (about ten seconds); 3 and 4 take minutes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/program.h"
#include "scalecheck.h"
#include "shell/shell.h"

namespace {

const char *const USAGE =
    "Usage: showcase-scalecheck [--data DIR] SCALE...\n"
    "\n"
    "Draws the 3D views of the tour (intro frames, menu turns, the flight to the box, the doors) at\n"
    "320 x 240 and SCALE times as large (2 to 8), and prints for each scale how many block middles of\n"
    "the larger frame equal the 320 x 240 pixel: with every object in a flat colour of its own, per\n"
    "object, against the 320 x 240 coverage enlarged, and textured as the show draws them.\n"
    "\n"
    "  --data DIR  the data tree (by default the one the show would play from this folder, or the\n"
    "              build folder's)\n";

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "showcase-scalecheck: %s\n", what.c_str());
    std::exit(2);
}

} // namespace

int main(int argc, char **argv) {
    setprogramname(argv[0]);
    std::string given;
    std::vector<int> scales;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--help") {
            std::fputs(USAGE, stdout);
            return 0;
        }
        if (a == "--data" && i + 1 < argc) {
            given = argv[++i];
            continue;
        }
        char *end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (!*argv[i] || *end || n < 2 || n > 8) fail("'" + a + "' is not a scale from 2 to 8; see --help");
        scales.push_back(int(n));
    }
    if (scales.empty()) fail("name a scale from 2 to 8; see --help");
    // The tool lives in tools/showcase-scalecheck of the build folder, whose data tree is two folders up.
    DataTree tree;
    std::string error;
    if (!finddatatree(given, std::filesystem::current_path().string(), executabledir() + "/../..", tree,
                      error))
        fail(error);
    if (!loadscenesforcheck(tree.dir, error)) fail(error);
    for (int n : scales) {
        std::printf("%s\n", describe(n, comparescale(n, 2000)).c_str());
        std::fflush(stdout);
    }
    return 0;
}
