// Materials: rasteriser bits by name, scales, texture maps and the pool that carries over between loads.
#include "helpers.h"

#include <unistd.h>

namespace {

class Materials : public SceneTest {};

TEST_F(Materials, BitsComeFromTheFirstMatchingPrefix) {
    const std::pair<const char *, int> cases[] = {
        {"ENVMAP", 2},   {"ENVIRONMENT", 2},  {"TRANSENVX", 32}, {"TRANSENVGLASS", 32}, {"TRANSTXT", 512},
        {"GOUTXT", 256}, {"GOUTXTWOOD", 256}, {"GOUTX", 1},      {"WOOD", 1},           {"env", 1},
        {"", 1}};
    for (const auto &[name, bits] : cases) EXPECT_EQ(GiveCorrectMapping(name), bits) << name;
}

TEST_F(Materials, ExtensionBecomesJpg) {
    const std::pair<const char *, const char *> cases[] = {{"ROCK.GIF", "ROCK.jpg"}, {"A.B", "A.jpg"},
                                                           {"A.", "A.jpg"},          {"NODOT", "NODOT.jpg"},
                                                           {"X.JPEG", "X.jpgG"},     {"A.B.CD", "A.jpgD"}};
    for (const auto &[name, jpg] : cases) EXPECT_EQ(d3sjpgname(name), jpg);
}

// A missing map ends the program with its message; present ones are read and clipped at their block.
TEST_F(Materials, TextureMapsAreReadFromTheMapsFolderAndClipped) {
    const std::string dir = programrun::scratch("scene", "maps");
    mk3ds::Scene s;
    s.materials = {mk3ds::makematerial("ROCKY", "ROCK.GIF"), mk3ds::makematerial("BIG", "BIG.TGA")};
    s.meshes.push_back(trianglemesh("M", "ROCKY"));
    const std::vector<unsigned char> bytes = mk3ds::write3ds(s);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::dup2(2, 1); // the message goes to standard output; the matcher reads standard error
            std::filesystem::current_path(dir);
            read3dsimage(bytes.data(), bytes.size(), "m.3ds", nullptr, true);
        },
        ::testing::ExitedWithCode(1), "Error loading tmap ROCK\\.jpg\n");

    std::filesystem::create_directories(dir + "/gfx/maps");
    writejpeg(dir + "/gfx/maps/rock.jpg", 16, 16, {1, 0, 0});
    writejpeg(dir + "/gfx/maps/big.jpg", 300, 300, {0, 0, 1});
    indir(dir, [&] {
        std::string err;
        world *w = read3dsimage(bytes.data(), bytes.size(), "maps.3ds", &err, true);
        ASSERT_NE(w, nullptr) << err;
        // The 300 x 300 picture filled its block and no more (the sanitizer build checks the rest).
        const unsigned char *bp = reinterpret_cast<const unsigned char *>(w->materials[1].texture);
        EXPECT_GT(bp[262140], 247);
    });
}

} // namespace
