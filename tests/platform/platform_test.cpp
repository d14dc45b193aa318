// The platform layer as the show sees it: key codes, the keys it keeps for itself, the close request,
// scripted keys on the virtual clock, and file names as the show writes them. And what it does for the
// viewer: volume keys that never reach the show, and F12 screenshots that say where they went, falling back
// when the chosen folder cannot be written; the PNG writer that screenshots and captures share.
#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/programrun.h"
#include "platform/capture.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "platformfixture.h"

namespace fs = std::filesystem;

// The keys the layer keeps (Alt+Enter, F12, the volume keys) never reaching the show is the window test's
// and the volume keys' test's.
TEST_F(Platform, KeysBecomeVirtualKeyMessages) {
    start();
    pushkey(SDLK_LEFT);
    pushkey(SDLK_RIGHT, KMOD_NONE, true);
    pushkey(SDLK_KP_ENTER);
    pushkey(SDLK_a);
    // Auto-repeat counts; the keypad's Enter is Enter.
    EXPECT_EQ(drain(), (std::vector<unsigned>{VK_LEFT, VK_RIGHT, VK_RETURN, 'A'}));
}

// Closing the window is the destroy message once, and the keys after it go with the window. (That a close
// request is never lost behind a full queue of keys is the signals' test: they close the same way.) The
// destroy and quit messages never fall off a full queue.
TEST_F(Platform, ClosingTheWindowIsTheDestroyMessageOnceAndNeverLostBehindWaitingKeys) {
    start();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    SDL_PushEvent(&quit);
    pushkey(SDLK_LEFT);
    EXPECT_EQ(drain(), std::vector<unsigned>{WM_DESTROY});

    // A quit posted to a queue full of keys takes the newest key's place.
    for (int i = 0; i < 300; i++) PostMessage(WM_KEYDOWN, VK_LEFT, 0);
    PostMessage(WM_DESTROY, 0, 0);
    PostQuitMessage(0);
    std::vector<unsigned> full(256, VK_LEFT);
    full[254] = WM_DESTROY;
    full[255] = WM_QUIT;
    EXPECT_EQ(drain(), full);
}

// SIGTERM and SIGINT are the close request, taken however many keys wait; a signal that was ignored when
// the program started stays ignored; closing the layer gives the signals back.
TEST_F(Platform, TermAndInterruptSignalsCloseTheWindow) {
    for (int sig : {SIGTERM, SIGINT}) {
        start();
        for (int i = 0; i < 300; i++) PostMessage(WM_KEYDOWN, VK_LEFT, 0);
        std::raise(sig);
        EXPECT_EQ(drain(), std::vector<unsigned>{WM_DESTROY}) << sig;
        platform_shutdown();
        struct sigaction now {};
        sigaction(sig, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << sig;
    }
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &old);
    start();
    std::raise(SIGINT);
    EXPECT_TRUE(drain().empty());
    platform_shutdown();
    sigaction(SIGINT, &old, nullptr);
}

TEST_F(Platform, ScriptedKeysArriveOnTheVirtualClock) {
    const std::string dir = programrun::scratch("platform", "keys");
    std::ofstream(dir + "/k.keys") << "# a comment\n0.1 Right\n\n0.05 Up x2   # two ticks apart\n"
                                      "0.15 Down x5184000   # held for a day, not laid out in memory\n"
                                      "0.2 Close\n";
    PlatformOptions o;
    o.keys = dir + "/k.keys";
    start(o);
    std::vector<unsigned> order;
    for (int tick = 0; tick < 20; tick++) {
        for (unsigned m : drain()) order.push_back(m);
        IdleMessage(); // one tick of the screen
    }
    // Down one tick apart until the close, which goes before the press due with it.
    const std::vector<unsigned> want = {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, WM_DESTROY};
    EXPECT_EQ(order, want);
}

// A script that makes no sense is refused naming the file, the line and the fault (in one line: the
// programs' options test).
TEST_F(Platform, KeyScriptFaultsNameTheLine) {
    const std::string path = programrun::scratch("platform", "script") + "/k.keys";
    const struct {
        const char *line, *says;
    } cases[] = {
        {"10 Enter x0", "the repeat count 'x0' is not from 1"},
        {"10 Enter x2000000000", "the repeat count 'x2000000000' is not from 1 to 5184000"},
        {"10 Enter x-3", "expected a repeat count 'xN' after the key, not 'x-3'"},
        {"10 Enter x5z", "not 'x5z'"},
        {"10 Enter 5", "not '5'"},
        {"10 Enter x5 x6", "unexpected 'x6' after the repeat count"},
        {"10 Bogus", "unknown key 'Bogus'"},
        {"-1 Enter", "expected a time in seconds and a key name"},
        {"Enter", "expected a time in seconds and a key name"},
        {"86401 Enter", "a time past a day"},
    };
    for (const auto &c : cases) {
        std::ofstream(path) << "0 Right\n" << c.line << "\n";
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadscript(path)) << c.line;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind(path + ":2: ", 0), 0u) << err;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_EQ(nextscriptkey(), -1) << c.line; // nothing of a refused script is kept
    }
}

TEST(Paths, ShowNamesFindFilesWhateverTheirCase) {
    const std::string dir = programrun::scratch("platform", "paths");
    fs::create_directories(dir + "/gfx/Maps");
    std::ofstream(dir + "/gfx/Maps/rock.jpg") << "x";
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(translatepath(".\\gfx\\maps\\ROCK.jpg"), "gfx/Maps/rock.jpg");
    EXPECT_EQ(translatepath(".\\GFX\\MAPS\\rock.JPG"), "gfx/Maps/rock.jpg");
    EXPECT_EQ(translatepath(".\\gfx\\maps\\none.jpg"), "gfx/maps/none.jpg"); // named as given
    fs::current_path(old);
}

TEST_F(Platform, VolumeKeysStepTheLevelMuteAndNeverReachTheShow) {
    PlatformOptions o;
    o.volume = volume_frompercent(50);
    start(o);
    EXPECT_EQ(audio_viewerlevel(), 32);
    pushkey(SDLK_PLUS);
    pushkey(SDLK_KP_PLUS);
    pushkey(SDLK_EQUALS, KMOD_LSHIFT); // plus on a US keyboard
    pushkey(SDLK_MINUS);
    pushkey(SDLK_KP_MINUS, KMOD_NONE, true); // auto-repeat steps too
    pushkey(SDLK_m);
    pushkey(SDLK_m, KMOD_NONE, true); // but does not toggle mute back and forth
    pushkey(SDLK_LEFT);
    EXPECT_EQ(drain(), std::vector<unsigned>{VK_LEFT});
    EXPECT_EQ(audio_viewerlevel(), 32 + VOLUME_STEP);
    // What the level and mute do to the sound, and that a volume key unmutes, is the capture test's.
    EXPECT_TRUE(audio_muted());
    // The window shows the level for 1.5 s of the show's clock after the last change.
    VolumeOverlay v{};
    ASSERT_TRUE(volume_overlay(GetTickCount(), &v));
    EXPECT_EQ(v.level, 32 + VOLUME_STEP);
    EXPECT_TRUE(v.muted);
    for (int tick = 0; tick < 89; tick++) IdleMessage();
    EXPECT_TRUE(volume_overlay(GetTickCount()));
    for (int tick = 0; tick < 2; tick++) IdleMessage();
    EXPECT_FALSE(volume_overlay(GetTickCount()));
    for (int i = 0; i < 30; i++) pushkey(SDLK_PLUS);
    drain();
    EXPECT_EQ(audio_viewerlevel(), VOLUME_FULL);
    // The command line's 0..100 and the player's scale (100 is the whole scale: the capture test's).
    EXPECT_EQ(volume_frompercent(volume_percent(VOLUME_NORMAL)), VOLUME_NORMAL);
    EXPECT_EQ(volume_frompercent(250), VOLUME_FULL);
}

TEST(Screenshots, GoToTheChosenFolderElseThePicturesFolderElseTheTemporaryFolder) {
    const std::string home = programrun::scratch("shot", "home");
    const std::string tmp = programrun::scratch("shot", "tmp");
    const std::string chosen = programrun::scratch("shot", "chosen");
    setenv("HOME", home.c_str(), 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const std::vector<uint32_t> px(4 * 3, 0x00336699);
    // A folder that can be written takes the shots in turn, each said on standard output: the tour's
    // hundreds of them and the window test's show it.
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
}

// A write the disk refuses, caught where the picture is written out (a large one) or only when it is closed
// (a small one): the system's reason, nothing printed by the PNG library, and no part of the picture left.
TEST(Screenshots, AFullDiskGivesTheSystemsReasonAndLeavesNoPartOfThePicture) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string dir = programrun::scratch("shot", "full");
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

// A capture's sound past what a WAV header's 32 bits can state (about 6 hours) says "to the end of the
// file" rather than a wrapped size that would cut it short when ffmpeg joins it.
TEST(CaptureSound, SizesPastTheHeadersReachStateTheWholeFile) {
    const long fits = (long(WAV_UNSIZED) - 36) / 4;
    EXPECT_EQ(wavdatasize(fits), uint32_t(fits * 4));
    EXPECT_EQ(wavdatasize(fits + 1), WAV_UNSIZED);
    EXPECT_EQ(wavdatasize(long(AUDIO_RATE) * 3600 * 25),
              WAV_UNSIZED); // a day: the old sizes wrapped many times
}
