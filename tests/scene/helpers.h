// Shared fixtures of the scene tests: scenes written by mk3ds, loaded from memory or from a scratch folder.
#pragma once

#include "common/programrun.h"
#include "mk3ds.h"
#include "raster.h"
#include "scene/loader.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

inline std::vector<unsigned char> bytes(const std::vector<unsigned char> &b) {
    return b;
}
inline std::vector<unsigned char> bytes(const mk3ds::Scene &s) {
    return mk3ds::write3ds(s);
}

// Every test starts from the state before the first load.
class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override { freeloadedscenes(); }
    void TearDown() override { freeloadedscenes(); }

    // Loads a file (a scene or its bytes) without texture maps; a refused file fails the test.
    template <class File> world *load(const File &file) {
        std::string err;
        const std::vector<unsigned char> b = bytes(file);
        world *w = read3dsimage(b.data(), b.size(), "test.3ds", &err, false);
        EXPECT_NE(w, nullptr) << err;
        return w;
    }
    // The file must be refused with a message that holds what.
    template <class File> void refused(const File &file, const std::string &what) {
        std::string err;
        const std::vector<unsigned char> b = bytes(file);
        EXPECT_EQ(read3dsimage(b.data(), b.size(), "test.3ds", &err, false), nullptr) << what;
        EXPECT_NE(err.find(what), std::string::npos) << err;
    }
};

using F3 = std::array<float, 3>;
inline F3 xyz(const d3point &p) {
    return {p.x, p.y, p.z};
}

// Runs f with the working directory set to dir.
template <class F> void indir(const std::string &dir, F f) {
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    f();
    std::filesystem::current_path(old);
}

inline void writejpeg(const std::string &path, int w, int h, mkdata::Rgb colour) {
    std::string err;
    ASSERT_TRUE(mkdata::writejpeg(mkdata::Image(w, h, colour), path, 100, err)) << err;
}

// A one-triangle mesh in the file's frame.
inline mk3ds::Mesh trianglemesh(const std::string &name, const std::string &material = "") {
    mk3ds::Mesh m;
    m.name = name;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2, 7}};
    if (!material.empty()) m.groups = {{material, {0}}};
    return m;
}

// A scene with one camera and a keyframer of the given length, camera position keys added by the caller.
inline mk3ds::Scene camerascene(int frames) {
    mk3ds::Scene s;
    s.cameras.push_back({"Camera01", {1, 2, 3}, {4, 5, 6}, 0, 50});
    s.keyframer = mk3ds::Keyframer{};
    s.keyframer->end = frames;
    return s;
}
