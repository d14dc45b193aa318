// The program suite's one fixture and helpers: the two programs run as a user runs them, headless, on the
// generated data tree, each test in scratch folders of its own that are removed when it passes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/pngfile.h"
#include "common/programrun.h"

namespace programs {

namespace fs = std::filesystem;
using programrun::datadir;
using programrun::Outcome;
using programrun::slurp;
using programrun::wavsamples;

// Runs a program in dir (its out.txt and err.txt there too); wrapper (such as "timeout 600" or a variable
// of the environment) comes before it.
inline Outcome runprogram(const std::string &program, const std::string &args, const std::string &dir,
                          const std::string &wrapper = "") {
    return programrun::run(wrapper + " " + SHOWCASE_BUILD_DIR + "/" + program + " " + args, dir, dir);
}

inline int countframes(const std::string &dir) {
    int n = 0;
    for (const auto &e : fs::directory_iterator(dir))
        if (e.path().extension() == ".png") n++;
    return n;
}

class Programs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(datadir() + "/gfx/intro.3DS")) GTEST_SKIP() << "no data tree in " << datadir();
    }
    void TearDown() override {
        if (!HasFailure())
            for (const std::string &dir : scratches) fs::remove_all(dir);
    }
    // A fresh folder for this test, kept when it fails.
    std::string scratch(const std::string &name) {
        scratches.push_back(programrun::scratch("programs", name));
        return scratches.back();
    }
    std::vector<std::string> scratches;
};

// The same for both programs: the parameter is the program's name.
class BothPrograms : public Programs, public ::testing::WithParamInterface<const char *> {};

inline std::string programlabel(const ::testing::TestParamInfo<const char *> &info) {
    return std::string(info.param) == "showcase" ? "fixed" : "modeswitch";
}

} // namespace programs
