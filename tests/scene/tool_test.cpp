// showcase-scene: the documented output of a written scene, and the loader's errors and statuses.
#include "helpers.h"

namespace {

// What the tool writes, both streams together, and its exit status.
programrun::Outcome tool(const std::string &args) {
    static const std::string logs = programrun::scratch("scene", "toolrun");
    auto r = programrun::run(std::string(SHOWCASE_BUILD_DIR) + "/tools/showcase-scene/showcase-scene " + args,
                             logs, logs);
    r.out += r.err;
    return r;
}

TEST(Tool, PrintsWhatTheLoaderReadAndItsErrors) {
    const std::string dir = programrun::scratch("scene", "tool");
    std::filesystem::create_directories(dir + "/gfx/maps");
    std::filesystem::create_directories(dir + "/gfx/scenes");
    writejpeg(dir + "/gfx/maps/stone.jpg", 4, 4, {0.1f, 0.2f, 0.3f});
    mk3ds::Scene s = camerascene(10);
    s.materials = {mk3ds::makematerial("TRANSTXT \"Q\"", "STONE.TGA"), mk3ds::makematerial("ENVX")};
    s.materials[0].vscale = 0.5f;
    mk3ds::Mesh m = trianglemesh("TRI ONE", "ENVX");
    m.mapcoords = {{0, 0}};
    s.meshes = {m};
    s.lights = {mk3ds::makespot("S", {1, 2, 3}, {4, 5, 6})};
    s.keyframer->cameras = {{"Camera01", -1, -1, {{{0}, {7, 8, 9}}}, {}, {}, {}}};
    ASSERT_TRUE(mk3ds::save3ds(s, dir + "/gfx/scenes/t.3ds"));

    const auto r = tool(dir + "/gfx/scenes/t.3ds 3");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "frames 10\n"
                     "object \"TRI ONE\" verts 3 faces 1 mapcoords 3 materials \"ENVX\"\n"
                     "material \"TRANSTXT \\\"Q\\\"\" maptype 512 map \"STONE.TGA\" uscale 1 vscale 0.5\n"
                     "material \"ENVX\" maptype 2 map - uscale 1 vscale 1\n"
                     "light 1 position 1 3 2 target 4 6 5\n"
                     "camera 0 position 1 3 2 target 4 6 5 roll 0\n"
                     "frame 3 position 7 9 8 target 4 6 5 roll 0\n");

    const auto far = tool("--no-maps " + dir + "/gfx/scenes/t.3ds 20");
    EXPECT_EQ(far.status, 1);
    EXPECT_NE(far.out.find("frame 20 is outside the camera table (20 frames)"), std::string::npos) << far.out;

    // Without its maps the scene still lists; what a missing map or file says is the loader's own.
    std::filesystem::remove(dir + "/gfx/maps/stone.jpg");
    EXPECT_EQ(tool(dir + "/gfx/scenes/t.3ds").status, 1);
    EXPECT_EQ(tool("--no-maps " + dir + "/gfx/scenes/t.3ds").status, 0);
    EXPECT_EQ(tool(dir + "/none.3ds").status, 1);
    EXPECT_EQ(tool("").status, 2);
    EXPECT_EQ(tool(dir + "/none.3ds x").status, 2);
}

} // namespace
