// What the layer does for the viewer itself: volume keys that never reach the show, and F12 screenshots
// that say where they went, falling back when the chosen folder cannot be written; the PNG writer that
// screenshots and captures share.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/capture.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace fs = std::filesystem;

namespace {

void pushkey(SDL_Keycode key, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    SDL_PushEvent(&e);
}

std::vector<MSG> drain() {
    std::vector<MSG> got;
    MSG m;
    while (PeekMessage(&m)) got.push_back(m);
    return got;
}

std::string scratch(const char *name) {
    const fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

} // namespace

TEST(ViewerKeys, VolumeKeysStepTheLevelMuteAndNeverReachTheShow) {
    PlatformOptions o;
    o.headless = true;
    o.volume = volume_frompercent(50);
    ASSERT_TRUE(platform_init(o));
    drain();
    EXPECT_EQ(audio_viewerlevel(), 32);
    EXPECT_FLOAT_EQ(audio_viewergain(), 32.0f / 40.0f);
    pushkey(SDLK_PLUS);
    pushkey(SDLK_KP_PLUS);
    pushkey(SDLK_EQUALS, KMOD_LSHIFT); // plus on a US keyboard
    pushkey(SDLK_MINUS);
    pushkey(SDLK_KP_MINUS, KMOD_NONE, true); // auto-repeat steps too
    pushkey(SDLK_m);
    pushkey(SDLK_m, KMOD_NONE, true); // but does not toggle mute back and forth
    pushkey(SDLK_LEFT);
    const std::vector<MSG> got = drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, WPARAM(VK_LEFT));
    EXPECT_EQ(audio_viewerlevel(), 32 + VOLUME_STEP);
    EXPECT_TRUE(audio_muted());
    EXPECT_EQ(audio_viewergain(), 0.0f);
    pushkey(SDLK_MINUS); // a volume key unmutes
    drain();
    EXPECT_FALSE(audio_muted());
    EXPECT_EQ(audio_viewerlevel(), 32);
    // The window shows the level for 1.5 s of the show's clock after the last change.
    VolumeOverlay v{};
    ASSERT_TRUE(volume_overlay(GetTickCount(), &v));
    EXPECT_EQ(v.level, 32);
    EXPECT_FALSE(v.muted);
    for (int tick = 0; tick < 89; tick++) IdleMessage();
    EXPECT_TRUE(volume_overlay(GetTickCount()));
    for (int tick = 0; tick < 2; tick++) IdleMessage();
    EXPECT_FALSE(volume_overlay(GetTickCount()));
    for (int i = 0; i < 30; i++) pushkey(SDLK_PLUS);
    drain();
    EXPECT_EQ(audio_viewerlevel(), VOLUME_FULL);
    platform_shutdown();
    // The command line's 0..100 and the player's scale.
    EXPECT_EQ(volume_frompercent(0), 0);
    EXPECT_EQ(volume_frompercent(100), VOLUME_FULL);
    EXPECT_EQ(volume_frompercent(volume_percent(VOLUME_NORMAL)), VOLUME_NORMAL);
    EXPECT_EQ(volume_frompercent(250), VOLUME_FULL);
}

TEST(Screenshots, GoToTheChosenFolderElseThePicturesFolderElseTheTemporaryFolder) {
    const std::string home = scratch("showcase-shot-home");
    const std::string tmp = scratch("showcase-shot-tmp");
    const std::string chosen = scratch("showcase-shot-chosen");
    setenv("HOME", home.c_str(), 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const std::vector<uint32_t> px(4 * 3, 0x00336699);

    testing::internal::CaptureStdout();
    EXPECT_EQ(screenshot_write(px.data(), 4, 3, chosen), chosen + "/showcase-0001.png");
    EXPECT_EQ(screenshot_write(px.data(), 4, 3, chosen), chosen + "/showcase-0002.png");
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find(chosen + "/showcase-0002.png\n"), std::string::npos) << said;

    // An empty choice, or one that cannot be written: the pictures folder of user-dirs.dirs.
    fs::create_directories(home + "/.config");
    std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                    << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(screenshot_write(px.data(), 4, 3, ""), home + "/Bilder/showcase-0001.png");
    EXPECT_EQ(screenshot_write(px.data(), 4, 3, chosen + "/gone"), home + "/Bilder/showcase-0002.png");
    // Without that file, ~/Pictures; with no usable home either, the temporary folder.
    fs::remove(home + "/.config/user-dirs.dirs");
    EXPECT_EQ(screenshot_write(px.data(), 4, 3, ""), home + "/Pictures/showcase-0001.png");
    setenv("HOME", (home + "/nowhere\x01/x").c_str(), 1);
    fs::create_directories(home + "/nowhere\x01");
    std::ofstream(home + "/nowhere\x01/x") << "a file, not a folder";
    EXPECT_EQ(screenshot_write(px.data(), 4, 3, chosen + "/gone"), tmp + "/showcase-0001.png");
    EXPECT_TRUE(fs::exists(tmp + "/showcase-0001.png"));
}

// A write the disk refuses, caught where the picture is written out (a large one) or only when it is closed
// (a small one): the system's reason, nothing printed by the PNG library, and no part of the picture left.
TEST(Screenshots, AFullDiskGivesTheSystemsReasonAndLeavesNoPartOfThePicture) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string dir = scratch("showcase-shot-full");
    for (int size : {4, 512}) {
        std::vector<uint32_t> px(size_t(size) * size);
        uint32_t seed = 1;
        for (uint32_t &p : px) p = seed = seed * 1664525u + 1013904223u; // does not compress away
        const std::string path = dir + "/shot.png";
        fs::create_symlink("/dev/full", path + ".part"); // where the picture is written before its rename
        std::string why;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(writepng(path, px.data(), size, size, 1, &why)) << size;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << size;
        EXPECT_EQ(why, path + ": No space left on device") << size;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".part"))) << size;
        EXPECT_FALSE(fs::exists(path)) << size;
    }
}
