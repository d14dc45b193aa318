// Shared fixtures of the scene tests: scenes written by mk3ds, loaded from memory or from a scratch folder.
#pragma once

#include "mk3ds.h"
#include "scene/loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every test starts from the state before the first load.
class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override { freeloadedscenes(); }
    void TearDown() override { freeloadedscenes(); }

    // Loads the bytes without texture maps; a bad file fails the test unless err is given.
    world *load(const std::vector<unsigned char> &bytes, std::string *err = nullptr) {
        std::string e;
        world *w = read3dsimage(bytes.data(), bytes.size(), "test.3ds", &e, false);
        if (err)
            *err = e;
        else
            EXPECT_NE(w, nullptr) << e;
        return w;
    }
    world *load(const mk3ds::Scene &s, std::string *err = nullptr) { return load(mk3ds::write3ds(s), err); }
};

// A scratch folder under the build tree, emptied for each test that asks for one.
std::string scratchdir(const std::string &name);
// Writes a small JPEG of w x h pixels of one colour.
void writejpeg(const std::string &path, int w, int h, unsigned char r, unsigned char g, unsigned char b);

// A one-triangle mesh in the file's frame.
mk3ds::Mesh trianglemesh(const std::string &name, const std::string &material = "");
// A scene with one camera and a keyframer of the given length, camera position keys added by the caller.
mk3ds::Scene camerascene(int frames);
