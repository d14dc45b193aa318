// read3ds: what is reset per load, what carries over, and what a file without sections gives.
#include "helpers.h"

#include <fstream>
#include <tuple>

namespace {

class Assembly : public SceneTest {};

// Each world keeps its own objects, lights and materials; the material bits are ored into a pool that
// carries over, and the frames of the last load carry over to a file without a keyframer.
TEST_F(Assembly, TwoLoadsShareOnlyTheTablesThePoolAndTheFrames) {
    mk3ds::Scene a = camerascene(12), b;
    a.meshes = {trianglemesh("A1"), trianglemesh("A2")};
    a.lights = {mk3ds::makespot("SPOT", {1, 2, 3}, {4, 5, 6})};
    a.materials = {mk3ds::makematerial("ENVMAP"), mk3ds::makematerial("WOOD"), mk3ds::makematerial("GOUTXT")};
    b.meshes = {trianglemesh("B1")};
    b.lights = {mk3ds::makelight("OMNI", {7, 8, 9})};
    b.materials = {mk3ds::makematerial("GOUTXTSTONE", "A.JPG"), mk3ds::makematerial("TRANSTXTA", "B.JPG")};
    world *w1 = load(a);
    world *w2 = load(b);
    EXPECT_EQ((std::array{w1->numobjects, w2->numobjects, w1->nummaterials, w2->nummaterials, w1->numlights,
                          w2->numlights}),
              (std::array{2, 1, 3, 2, 2, 2}));
    EXPECT_STREQ(w1->objects[0].name, "A1");
    EXPECT_STREQ(w2->objects[0].name, "B1");
    EXPECT_EQ(std::tie(w1->transmat, w1->rotmat), std::tie(w2->transmat, w2->rotmat));
    EXPECT_EQ(w2->numframes, 12);
    EXPECT_EQ(w2->campositions, w1->campositions);
    // A plain light in the same entry of a later load has no target; the first world kept its own copy.
    EXPECT_EQ(xyz(w2->lights[1].position), (F3{7, 9, 8}));
    EXPECT_EQ(xyz(w2->lights[1].target), (F3{0, 0, 0}));
    EXPECT_EQ(w1->lights[1].target.x, 4.0f);

    EXPECT_EQ((std::array{w1->materials[0].maptype, w2->materials[0].maptype, w2->materials[1].maptype}),
              (std::array{2, 256 | 2, 512 | 1}));
    EXPECT_EQ(w1->materials[0].mapname, nullptr); // no map block
    EXPECT_EQ(w2->materials[1].texture, nullptr); // without maps read, no texture block is made
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
    const std::string dir = programrun::scratch("scene", "paths");
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
