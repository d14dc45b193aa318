#include "platform/paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

bool exists(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Finds an entry of dir whose name equals want but for letter case; empty when there is none.
std::string findnocase(const std::string &dir, const std::string &want) {
    DIR *d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string found;
    while (const dirent *e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, want.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

} // namespace

std::string translatepathin(const std::string &base, const char *name) {
    std::string s(name);
    for (char &c : s)
        if (c == '\\') c = '/';
    while (s.rfind("./", 0) == 0) s.erase(0, 2);
    // Names are looked up under base (the current folder when empty) but returned relative to it.
    const bool absolute = !s.empty() && s[0] == '/';
    const std::string prefix = base.empty() || absolute ? "" : base + "/";
    if (s.empty() || exists(prefix + s)) return s;

    // Walk the components, mending the case of each one that is not found as written.
    std::string out;
    size_t pos = 0;
    if (absolute) {
        out = "/";
        pos = 1;
    }
    while (pos <= s.size()) {
        size_t slash = s.find('/', pos);
        if (slash == std::string::npos) slash = s.size();
        std::string part = s.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty()) continue;
        std::string candidate = out.empty() || out == "/" ? out + part : out + "/" + part;
        if (!exists(prefix + candidate)) {
            std::string dir = out.empty() ? (base.empty() ? "." : base) : prefix + out;
            std::string match = findnocase(dir, part);
            if (match.empty()) return s; // not there in any case: report the name as given
            candidate = out.empty() || out == "/" ? out + match : out + "/" + match;
        }
        out = candidate;
    }
    return out;
}

std::string translatepath(const char *name) {
    return translatepathin(std::string(), name);
}

bool showfileexists(const std::string &base, const char *name) {
    const std::string rel = translatepathin(base, name);
    if (rel.empty()) return false;
    struct stat st;
    return ::stat((base.empty() || rel[0] == '/' ? rel : base + "/" + rel).c_str(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

std::FILE *openshowfile(const char *name, const char *mode) {
    return std::fopen(translatepath(name).c_str(), mode);
}
