// F12: the shown screen as a PNG file in the chosen folder, else in the user's pictures folder, else in
// the temporary folder; the file's name on standard output, and a word on standard error when it had to
// go elsewhere.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/capture.h"
#include "platform/program.h"
#include "platform/screen.h"

namespace {

std::string home() {
    const char *h = std::getenv("HOME");
    return h && *h ? h : "";
}

// XDG_PICTURES_DIR from user-dirs.dirs: a quoted value, "$HOME/..." or an absolute path.
std::string fromuserdirs() {
    const char *config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config ? std::string(config) : home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_PICTURES_DIR=";
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.compare(0, 5, "$HOME") == 0) v = home() + v.substr(5);
        if (v.empty() || v[0] != '/') return "";
        while (v.size() > 1 && v.back() == '/') v.pop_back();
        return v;
    }
    return "";
}

bool isfolder(const std::string &d) {
    struct stat st;
    return ::stat(d.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The first free showcase-NNNN.png in dir, written; empty with errno's reason when it cannot be.
std::string writein(const std::string &dir, const uint32_t *pixels, int width, int height, std::string *why) {
    if (!isfolder(dir)) {
        *why = "no such folder";
        return "";
    }
    if (::access(dir.c_str(), W_OK) != 0) {
        *why = std::strerror(errno);
        return "";
    }
    for (int n = 1; n < 100000; n++) {
        char name[32];
        std::snprintf(name, sizeof name, "/showcase-%04d.png", n);
        const std::string path = dir + name;
        if (::access(path.c_str(), F_OK) == 0) continue;
        if (writepng(path, pixels, width, height, 6, why)) return path;
        std::remove(path.c_str());
        return "";
    }
    *why = "no free file name";
    return "";
}

} // namespace

std::string picturesfolder() {
    std::string d = fromuserdirs();
    if (d.empty() && !home().empty()) d = home() + "/Pictures";
    if (!d.empty() && !isfolder(d)) ::mkdir(d.c_str(), 0755); // the usual place, made as a desktop would
    return d;
}

std::string screenshot_write(const uint32_t *pixels, int width, int height, const std::string &chosen) {
    std::string tried = chosen.empty() ? picturesfolder() : chosen;
    std::string why;
    std::string path = tried.empty() ? "" : writein(tried, pixels, width, height, &why);
    if (path.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        for (const std::string &other : {picturesfolder(), std::string(tmp && *tmp ? tmp : "/tmp")}) {
            if (other.empty() || other == tried) continue;
            std::string why2;
            path = writein(other, pixels, width, height, &why2);
            if (!path.empty()) {
                std::fprintf(stderr, "%s: cannot write the screenshot in %s (%s); it went to %s\n",
                             programname(), tried.c_str(), why.c_str(), other.c_str());
                break;
            }
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "%s: cannot write the screenshot anywhere (%s: %s)\n", programname(),
                     tried.c_str(), why.c_str());
        return "";
    }
    std::printf("%s: screenshot %s\n", programname(), path.c_str());
    std::fflush(stdout);
    return path;
}
