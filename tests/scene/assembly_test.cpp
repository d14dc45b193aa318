// read3ds: what is reset per load, what carries over, and what a file without sections gives.
#include "helpers.h"

#include <cstdio>
#include <filesystem>

namespace {

class Assembly : public SceneTest {};

TEST_F(Assembly, TwoLoadsShareOnlyTheTables) {
    mk3ds::Scene a;
    a.meshes = {trianglemesh("A1"), trianglemesh("A2")};
    a.lights.push_back(mk3ds::makelight("L", {}));
    mk3ds::Scene b;
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
}

TEST_F(Assembly, FramesCarryOverToAFileWithoutASegment) {
    world *w1 = load(camerascene(12));
    mk3ds::Scene plain;
    plain.meshes = {trianglemesh("P")};
    world *w2 = load(plain);
    EXPECT_EQ(w2->numframes, 12);
    EXPECT_EQ(w2->campositions, w1->campositions);
}

TEST_F(Assembly, AFileWithoutAMeshSectionGivesAnEmptyWorld) {
    mk3ds::ChunkWriter c;
    c.begin(0x4D4D);
    c.begin(0x0002);
    c.u32(3);
    c.end();
    c.end();
    world *w = load(c.data());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->numobjects, 0);
    EXPECT_EQ(w->numlights, 1);
    EXPECT_EQ(w->numcams, 0);
    EXPECT_EQ(w->nummaterials, 0);
    EXPECT_EQ(w->campositions, nullptr);
}

TEST_F(Assembly, Read3dsFindsTheFileThroughThePathLayer) {
    const std::string dir = scratchdir("paths");
    std::filesystem::create_directories(dir + "/gfx");
    mk3ds::Scene s;
    s.meshes = {trianglemesh("CUBE")};
    ASSERT_TRUE(mk3ds::save3ds(s, dir + "/gfx/intro.3ds"));
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    world *w = read3ds(".\\gfx\\INTRO.3DS");
    std::filesystem::current_path(old);
    ASSERT_EQ(w->numobjects, 1);
    EXPECT_STREQ(w->objects[0].name, "CUBE");
}

TEST_F(Assembly, Read3dsStopsOnAFileItCannotUse) {
    const std::string dir = scratchdir("bad");
    EXPECT_EXIT(read3ds((dir + "/missing.3ds").c_str()), ::testing::ExitedWithCode(1),
                "missing.3ds: cannot open the scene file");
    std::FILE *f = std::fopen((dir + "/short.3ds").c_str(), "wb");
    std::fwrite("XY\x40\0\0\0", 1, 6, f);
    std::fclose(f);
    EXPECT_EXIT(read3ds((dir + "/short.3ds").c_str()), ::testing::ExitedWithCode(1), "short.3ds: ");
}

} // namespace
