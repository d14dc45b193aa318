// read3ds: what is reset per load, what carries over, and what a file without sections gives.
#include "helpers.h"

#include <fstream>

namespace {

class Assembly : public SceneTest {};

TEST_F(Assembly, TwoLoadsShareOnlyTheTablesAndTheFrames) {
    mk3ds::Scene a = camerascene(12);
    a.meshes = {trianglemesh("A1"), trianglemesh("A2")};
    a.lights.push_back(mk3ds::makelight("L", {}));
    mk3ds::Scene b; // no keyframer: the frames of the last load carry over
    b.meshes = {trianglemesh("B1")};
    world *w1 = load(a);
    world *w2 = load(b);
    EXPECT_EQ(w1->numobjects, 2);
    EXPECT_EQ(w2->numobjects, 1);
    EXPECT_STREQ(w1->objects[0].name, "A1");
    EXPECT_STREQ(w2->objects[0].name, "B1");
    EXPECT_EQ(w1->numlights, 2);
    EXPECT_EQ(w2->numlights, 1);
    EXPECT_NE(w1->objects, w2->objects);
    EXPECT_EQ(w1->transmat, w2->transmat);
    EXPECT_EQ(w1->rotmat, w2->rotmat);
    EXPECT_EQ(w1->transmat[0], nullptr);
    EXPECT_EQ(w2->numframes, 12);
    EXPECT_EQ(w2->campositions, w1->campositions);
}

TEST_F(Assembly, AFileWithoutAMeshSectionGivesAnEmptyWorld) {
    std::vector<unsigned char> b = mk3ds::write3ds(mk3ds::Scene{});
    b.resize(16); // the main chunk with its version only
    b[2] = 16;
    b[3] = b[4] = b[5] = 0;
    world *w = load(b);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->numobjects + w->numcams + w->nummaterials, 0);
    EXPECT_EQ(w->numlights, 1);
    EXPECT_EQ(w->campositions, nullptr);
}

TEST_F(Assembly, Read3dsFindsTheFileThroughThePathLayerAndStopsOnABadOne) {
    const std::string dir = scratchdir("paths");
    std::filesystem::create_directories(dir + "/gfx");
    mk3ds::Scene s;
    s.meshes = {trianglemesh("CUBE")};
    ASSERT_TRUE(mk3ds::save3ds(s, dir + "/gfx/intro.3ds"));
    world *w = nullptr;
    indir(dir, [&] { w = read3ds(".\\gfx\\INTRO.3DS"); });
    ASSERT_EQ(w->numobjects, 1);
    EXPECT_STREQ(w->objects[0].name, "CUBE");

    EXPECT_EXIT(read3ds((dir + "/missing.3ds").c_str()), ::testing::ExitedWithCode(1),
                "missing.3ds: cannot open the scene file");
    std::ofstream(dir + "/short.3ds") << std::string("XY\x40\0\0\0", 6);
    EXPECT_EXIT(read3ds((dir + "/short.3ds").c_str()), ::testing::ExitedWithCode(1), "short.3ds: ");
}

} // namespace
