// Materials: rasteriser bits by name, scales, texture maps and the pool that carries over between loads.
#include "helpers.h"

#include <filesystem>
#include <unistd.h>

namespace {

class Materials : public SceneTest {};

TEST_F(Materials, BitsComeFromTheFirstMatchingPrefix) {
    EXPECT_EQ(GiveCorrectMapping("ENVMAP"), 2);
    EXPECT_EQ(GiveCorrectMapping("ENVIRONMENT"), 2);
    EXPECT_EQ(GiveCorrectMapping("TRANSENVX"), 32);
    EXPECT_EQ(GiveCorrectMapping("TRANSENVGLASS"), 32);
    EXPECT_EQ(GiveCorrectMapping("TRANSTXT"), 512);
    EXPECT_EQ(GiveCorrectMapping("GOUTXT"), 256);
    EXPECT_EQ(GiveCorrectMapping("GOUTXTWOOD"), 256);
    EXPECT_EQ(GiveCorrectMapping("GOUTX"), 1);
    EXPECT_EQ(GiveCorrectMapping("WOOD"), 1);
    EXPECT_EQ(GiveCorrectMapping("env"), 1);
    EXPECT_EQ(GiveCorrectMapping(""), 1);
}

TEST_F(Materials, BitsAreOredIntoThePoolAcrossLoads) {
    mk3ds::Scene a;
    a.materials = {mk3ds::makematerial("ENVMAP"), mk3ds::makematerial("WOOD"), mk3ds::makematerial("GOUTXT")};
    world *w1 = load(a);
    ASSERT_EQ(w1->nummaterials, 3);
    EXPECT_EQ(w1->materials[0].maptype, 2);
    mk3ds::Scene b;
    b.materials = {mk3ds::makematerial("GOUTXTSTONE"), mk3ds::makematerial("TRANSTXTA")};
    world *w2 = load(b);
    ASSERT_EQ(w2->nummaterials, 2); // exactly this file's materials
    EXPECT_EQ(w2->materials[0].maptype, 256 | 2);
    EXPECT_EQ(w2->materials[1].maptype, 512 | 1);
    EXPECT_STREQ(w2->materials[0].name, "GOUTXTSTONE");
    EXPECT_EQ(w1->materials[0].maptype, 2); // the first world has its own copy
}

TEST_F(Materials, ScalesDefaultToOneAndAreFoundInTheMapBlock) {
    mk3ds::Scene s;
    mk3ds::Material plain = mk3ds::makematerial("PLAIN");
    plain.map = "A.JPG";
    mk3ds::Material scaled = mk3ds::makematerial("SCALED");
    scaled.map = "B.JPG";
    scaled.uscale = 2.5f;
    scaled.vscale = 0.25f;
    s.materials = {plain, scaled, mk3ds::makematerial("NOMAP")};
    world *w = load(s);
    EXPECT_EQ(w->materials[0].uscale, 1.0f);
    EXPECT_EQ(w->materials[0].vscale, 1.0f);
    EXPECT_EQ(w->materials[1].uscale, 2.5f);
    EXPECT_EQ(w->materials[1].vscale, 0.25f);
    EXPECT_STREQ(w->materials[1].mapname, "B.JPG");
    // Without maps read, names are kept and no texture block is made; no map block leaves both null.
    EXPECT_EQ(w->materials[1].texture, nullptr);
    EXPECT_EQ(w->materials[2].mapname, nullptr);
}

TEST_F(Materials, ExtensionBecomesJpg) {
    EXPECT_EQ(d3sjpgname("ROCK.GIF"), "ROCK.jpg");
    EXPECT_EQ(d3sjpgname("A.B"), "A.jpg");
    EXPECT_EQ(d3sjpgname("A."), "A.jpg");
    EXPECT_EQ(d3sjpgname("NODOT"), "NODOT.jpg");
    EXPECT_EQ(d3sjpgname("X.JPEG"), "X.jpgG");
    EXPECT_EQ(d3sjpgname("A.B.CD"), "A.jpgD");
}

// Runs f with the working directory set to dir.
template <class F> void indir(const std::string &dir, F f) {
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    f();
    std::filesystem::current_path(old);
}

TEST_F(Materials, TextureMapsAreReadFromTheMapsFolderAndClipped) {
    const std::string dir = scratchdir("maps");
    std::filesystem::create_directories(dir + "/gfx/maps");
    writejpeg(dir + "/gfx/maps/rock.jpg", 16, 16, 255, 0, 0);
    writejpeg(dir + "/gfx/maps/big.jpg", 300, 300, 0, 0, 255);
    mk3ds::Scene s;
    mk3ds::Material rock = mk3ds::makematerial("ROCKY"), big = mk3ds::makematerial("BIG");
    rock.map = "ROCK.GIF";
    big.map = "BIG.TGA";
    s.materials = {rock, big};
    s.meshes.push_back(trianglemesh("M", "ROCKY"));
    const std::vector<unsigned char> bytes = mk3ds::write3ds(s);
    indir(dir, [&] {
        std::string err;
        world *w = read3dsimage(bytes.data(), bytes.size(), "maps.3ds", &err, true);
        ASSERT_NE(w, nullptr) << err;
        const material &m = w->materials[0];
        EXPECT_STREQ(m.mapname, "ROCK.GIF");
        ASSERT_NE(m.texture, nullptr);
        const unsigned char *px = reinterpret_cast<const unsigned char *>(m.texture);
        EXPECT_LT(px[0], 8);   // blue
        EXPECT_GT(px[2], 247); // red
        EXPECT_EQ(px[3], 0);
        EXPECT_EQ(w->objects[0].faces[0].texture, m.texture);
        // The 300 x 300 picture filled its block and no more (the sanitizer build checks the rest).
        const unsigned char *bp = reinterpret_cast<const unsigned char *>(w->materials[1].texture);
        EXPECT_GT(bp[262140], 247);
    });
}

TEST_F(Materials, AMissingMapEndsTheProgramWithItsMessage) {
    const std::string dir = scratchdir("nomaps");
    mk3ds::Scene s;
    mk3ds::Material rock = mk3ds::makematerial("ROCKY");
    rock.map = "ROCK.GIF";
    s.materials = {rock};
    const std::vector<unsigned char> bytes = mk3ds::write3ds(s);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::dup2(2, 1); // the message goes to standard output; the matcher reads standard error
            std::filesystem::current_path(dir);
            read3dsimage(bytes.data(), bytes.size(), "m.3ds", nullptr, true);
        },
        ::testing::ExitedWithCode(1), "Error loading tmap ROCK\\.jpg\n");
}

} // namespace
