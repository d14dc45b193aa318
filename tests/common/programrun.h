// Running the programs and tools from a test as a user does: a shell command started in a folder, its exit
// status and what it wrote; scratch folders of the test's own process; the generated data tree; the sound a
// program wrote.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace programrun {

struct Outcome {
    int status = -1; // the exit status, -1 when the command did not exit by itself
    std::string out, err;
};

inline std::string slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// What a shell command writes on its standard output.
inline std::string output(const std::string &command) {
    std::string out;
    if (std::FILE *p = popen(command.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

// A fresh, empty folder under the temporary folder, named for this process, so that suites of several build
// trees running at once never share one.
inline std::string scratch(const std::string &what, const std::string &name) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("showcase-" + what + "-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

// The data tree the build generates.
inline std::string datadir() {
    return std::string(SHOWCASE_BUILD_DIR) + "/data";
}

// Runs command in folder cwd with no input; its standard output and error are kept as out.txt and err.txt
// in folder logs.
inline Outcome run(const std::string &command, const std::string &cwd, const std::string &logs) {
    const std::string cmd =
        "cd '" + cwd + "' && " + command + " >'" + logs + "/out.txt' 2>'" + logs + "/err.txt' </dev/null";
    Outcome r;
    const int s = std::system(cmd.c_str());
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    r.out = slurp(logs + "/out.txt");
    r.err = slurp(logs + "/err.txt");
    return r;
}

// The 16-bit samples of a WAV file's data chunk, channels interleaved; empty when there is none or the file
// ends before the size its header gives (a capture whose header was never finished).
inline std::vector<int16_t> wavsamples(const std::string &path) {
    const std::string w = slurp(path);
    auto le32 = [&w](size_t at) {
        uint32_t v;
        std::memcpy(&v, &w[at], 4);
        return v;
    };
    for (size_t at = 12; w.compare(0, 4, "RIFF") == 0 && at + 8 <= w.size();) {
        const size_t size = le32(at + 4);
        if (w.compare(at, 4, "data") == 0) {
            if (at + 8 + size > w.size()) return {};
            std::vector<int16_t> s(size / 2);
            std::memcpy(s.data(), w.data() + at + 8, s.size() * 2);
            return s;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

inline bool hastool(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace programrun
