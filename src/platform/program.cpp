#include "platform/program.h"

#include <cstring>
#include <string>

namespace {
std::string name = "showcase";
}

const char *programname() {
    return name.c_str();
}

void setprogramname(const char *argv0) {
    if (!argv0 || !*argv0) return;
    const char *slash = std::strrchr(argv0, '/');
    name = slash ? slash + 1 : argv0;
}
