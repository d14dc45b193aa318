// Where the show finds its data tree: the folder it was started in, as it always has; an installed show
// finds it beside its own executable, and a build folder holds the generated tree.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "shell/shell.h"
#include "show/show.h"

namespace {

const char *const HINT =
    "point at a data tree with --data DIR ('make run' in the source folder generates one in "
    "build/data)";

bool isfolder(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder that holds part of a tree is worth naming when none is complete.
bool lookslikeatree(const std::string &dir) {
    return isfolder(dir) &&
           (showfileexists(dir, "gfx/intro.3DS") || isfolder(dir + "/" + translatepathin(dir, "gfx")) ||
            isfolder(dir + "/" + translatepathin(dir, "music")));
}

} // namespace

std::string firstmissingdatafile(const std::string &dir) {
    for (const std::string &f : showdatafiles())
        if (!showfileexists(dir, f.c_str())) return f;
    return {};
}

std::string executabledir() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string exe(buf, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

bool finddatatree(const std::string &given, const std::string &cwd, const std::string &exedir, DataTree &tree,
                  std::string &error) {
    if (!given.empty()) {
        if (!isfolder(given)) {
            error = "cannot open the data folder " + given + "; " + HINT;
            return false;
        }
        const std::string missing = firstmissingdatafile(given);
        if (!missing.empty()) {
            error = given + " is not a complete data tree: " + missing + " is missing; " + HINT;
            return false;
        }
        tree = {given, false};
        return true;
    }
    // The current folder first, as always; then the installed tree beside the program; then the
    // tree that the build generates beside it.
    std::vector<DataTree> candidates = {{cwd, false}};
    if (!exedir.empty()) {
        // The executable's path is already resolved, so bin/.. can be folded away to name the folder plainly.
        candidates.push_back(
            {std::filesystem::path(exedir + "/../share/showcase").lexically_normal().string(), true});
        candidates.push_back({exedir + "/data", false});
    }
    for (const DataTree &c : candidates) {
        if (isfolder(c.dir) && firstmissingdatafile(c.dir).empty()) {
            tree = c;
            return true;
        }
    }
    DataTree named = candidates[0];
    for (const DataTree &c : candidates) {
        if (lookslikeatree(c.dir)) {
            named = c;
            break;
        }
    }
    error = named.dir + " is not a complete data tree: " + firstmissingdatafile(named.dir) + " is missing; " +
            HINT;
    return false;
}
