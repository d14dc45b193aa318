// The platform layer as the show sees it: key codes, the keys it keeps for itself, the close request,
// scripted keys on the virtual clock, and file names as the show writes them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "display/display.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

std::string scratch() {
    const fs::path dir = fs::temp_directory_path() / "showcase-platform-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

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

class Platform : public ::testing::Test {
  protected:
    void start(PlatformOptions o = {}) {
        o.headless = true;
        ASSERT_TRUE(platform_init(o));
        drain();
    }
    void TearDown() override { platform_shutdown(); }
};

} // namespace

TEST_F(Platform, KeysBecomeVirtualKeyMessagesAndTheLayerKeepsItsOwn) {
    const std::string dir = scratch();
    PlatformOptions o;
    o.screenshotdir = dir;
    start(o);
    // Something on the screen for the screenshot.
    DirectDraw *dd;
    Surface *primary, *back;
    DirectDrawCreate(&dd);
    dd_setdisplaymode(dd, 320, 240, 32);
    DDSURFACEDESC d;
    fillprimarydesc(d);
    dd_createsurface(dd, d, &primary);
    fillbackdesc(d, 320, 240);
    dd_createsurface(dd, d, &back);
    ASSERT_EQ(surface_lock(back, &d, DDLOCK_WAIT), 0u);
    static_cast<uint32_t *>(d.lpSurface)[0] = 0x00FF8000;
    surface_unlock(back);
    surface_bltfast(primary, 0, 0, back, 0);

    pushkey(SDLK_LEFT);
    pushkey(SDLK_RETURN, KMOD_LALT); // full screen toggle: not for the show
    pushkey(SDLK_F12);               // screenshot: not for the show
    pushkey(SDLK_RIGHT, KMOD_NONE, true);
    pushkey(SDLK_KP_ENTER);
    pushkey(SDLK_a);
    const std::vector<MSG> got = drain();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].message, unsigned(WM_KEYDOWN));
    EXPECT_EQ(got[0].wParam, WPARAM(VK_LEFT));
    EXPECT_EQ(got[1].wParam, WPARAM(VK_RIGHT)); // auto-repeat counts
    EXPECT_EQ(got[2].wParam, WPARAM(VK_RETURN));
    EXPECT_EQ(got[3].wParam, WPARAM('A'));

    const std::string shot = dir + "/showcase-0001.png";
    ASSERT_TRUE(fs::exists(shot));
    std::FILE *p = popen(("convert " + shot + " -format '%w %h %[pixel:p{0,0}]' info:").c_str(), "r");
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, p), nullptr);
    pclose(p);
    EXPECT_NE(std::string(line).find("320 240 srgb(255,128,0)"), std::string::npos) << line;
    surface_release(back);
    surface_release(primary);
    dd_release(dd);
}

TEST_F(Platform, ClosingTheWindowIsTheDestroyMessageOnce) {
    start();
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    SDL_PushEvent(&e);
    pushkey(SDLK_LEFT); // the window is gone: no more keys
    const std::vector<MSG> got = drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, unsigned(WM_DESTROY));
}

// However many keys wait, a close request ends the show: the waiting keys go with the window, and the
// destroy and quit messages never fall off a full queue.
TEST_F(Platform, TheWayOutIsNeverLostBehindWaitingKeys) {
    start();
    for (int i = 0; i < 300; i++) pushkey(SDLK_RIGHT, KMOD_NONE, true);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m)); // the queue takes what it can hold
    for (int i = 0; i < 300; i++) pushkey(SDLK_RIGHT, KMOD_NONE, true);
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    std::vector<MSG> got = drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, unsigned(WM_DESTROY));

    // A quit posted to a queue full of keys takes the newest key's place.
    for (int i = 0; i < 300; i++) PostMessage(WM_KEYDOWN, VK_LEFT, 0);
    PostMessage(WM_DESTROY, 0, 0);
    PostQuitMessage(0);
    got = drain();
    ASSERT_EQ(got.size(), 256u);
    EXPECT_EQ(got[253].message, unsigned(WM_KEYDOWN));
    EXPECT_EQ(got[254].message, unsigned(WM_DESTROY));
    EXPECT_EQ(got[255].message, unsigned(WM_QUIT));
}

// SIGTERM and SIGINT are the close request, taken however many keys wait; a signal that was ignored when
// the program started stays ignored; closing the layer gives the signals back.
TEST_F(Platform, TermAndInterruptSignalsCloseTheWindow) {
    for (int sig : {SIGTERM, SIGINT}) {
        start();
        for (int i = 0; i < 300; i++) PostMessage(WM_KEYDOWN, VK_LEFT, 0);
        std::raise(sig);
        std::vector<MSG> got = drain();
        ASSERT_EQ(got.size(), 1u) << sig;
        EXPECT_EQ(got[0].message, unsigned(WM_DESTROY)) << sig;
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
    const std::string dir = scratch();
    std::ofstream(dir + "/k.keys") << "# a comment\n0.1 Right\n\n0.05 Up x2   # two ticks apart\n"
                                      "0.15 Down x5184000   # held for a day, not laid out in memory\n"
                                      "0.2 Close\n";
    PlatformOptions o;
    o.keys = dir + "/k.keys";
    start(o);
    std::vector<unsigned> order;
    for (int tick = 0; tick < 20; tick++) {
        for (const MSG &m : drain())
            order.push_back(m.message == WM_KEYDOWN ? unsigned(m.wParam) : m.message);
        IdleMessage(); // one tick of the screen
    }
    // Down one tick apart until the close, which goes before the press due with it.
    const std::vector<unsigned> want = {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, WM_DESTROY};
    EXPECT_EQ(order, want);
    EXPECT_EQ(GetTickCount(), 20u * 1000 / 60);
}

// A script that makes no sense is refused with one line naming the file, the line and the fault.
TEST_F(Platform, KeyScriptFaultsNameTheLine) {
    const std::string path = scratch() + "/k.keys";
    const struct {
        const char *line, *says;
    } cases[] = {
        {"10 Enter x0", "the repeat count 'x0' is not from 1"},
        {"10 Enter x2000000000", "the repeat count 'x2000000000' is not from 1 to 5184000"},
        {"10 Enter x99999999999999999999999", "is not from 1"},
        {"10 Enter x-3", "expected a repeat count 'xN' after the key, not 'x-3'"},
        {"10 Enter xten", "not 'xten'"},
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
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(nextscriptkey(), -1) << c.line; // nothing of a refused script is kept
    }
}

TEST(Paths, ShowNamesFindFilesWhateverTheirCase) {
    const std::string dir = scratch();
    fs::create_directories(dir + "/gfx/Maps");
    std::ofstream(dir + "/gfx/Maps/rock.jpg") << "x";
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(translatepath(".\\gfx\\maps\\ROCK.jpg"), "gfx/Maps/rock.jpg");
    EXPECT_EQ(translatepath(".\\GFX\\MAPS\\rock.JPG"), "gfx/Maps/rock.jpg");
    EXPECT_EQ(translatepath(".\\gfx\\maps\\none.jpg"), "gfx/maps/none.jpg"); // named as given
    std::FILE *f = openshowfile(".\\GFX\\maps\\Rock.jpg", "rb");
    EXPECT_NE(f, nullptr);
    if (f) std::fclose(f);
    fs::current_path(old);
}
