// Each screen's frame, drawn and presented unpaced on the headless display, against the 60 Hz budget.
// The counter "budgets" says how many such frames fit in one 1/60 s: above 1 the screen keeps pace.
// A memcpy of a 640 x 480 frame runs alongside as the baseline of the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "display/display.h"
#include "effects/effects.h"
#include "render/render.h"
#include "shell/shell.h"
#include "show/show.h"

namespace {

bool loaded = false;

bool loadshow() {
    if (loaded) return true;
    const std::string data = std::string(SHOWCASE_BUILD_DIR) + "/data";
    if (chdir(data.c_str()) != 0) return false;
    PlatformOptions o;
    o.headless = true;
    if (!platform_init(o)) return false;
    // Start-up's progress lines would break the table.
    std::fflush(stdout);
    const int saved = dup(1);
    std::FILE *null = std::fopen("/dev/null", "w");
    if (null) dup2(fileno(null), 1);
    initengine();
    hWnd = CreateShowWindow("Veltor", displaywindowwidth(), displaywindowheight(), WindowProc);
    virscr = static_cast<unsigned char *>(mymalloc(1228800, 4096));
    virscr2 = static_cast<unsigned char *>(mymalloc(1228800, 4096));
    init3dscenes();
    initvideomode();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    if (null) std::fclose(null);
    whichpart = PART_MENU;
    waitblank = 0;
    loaded = true;
    return true;
}

void budgets(benchmark::State &state) {
    state.counters["budgets"] =
        benchmark::Counter(double(state.iterations()) / 60.0, benchmark::Counter::kIsRate);
}

#define SETUP                                                                                                \
    if (!loadshow()) {                                                                                       \
        state.SkipWithError("no data tree");                                                                 \
        return;                                                                                              \
    }

void BM_memcpy_640x480(benchmark::State &state) {
    std::vector<unsigned char> a(1228800), b(1228800, 7);
    for (auto _ : state) {
        std::memcpy(a.data(), b.data(), a.size());
        benchmark::ClobberMemory();
    }
    budgets(state);
}

void BM_menu_turn_frame(benchmark::State &state) {
    SETUP
    switchmode(320, 240);
    int yrot = 0;
    for (auto _ : state) {
        facesortprocessmenu(menuw, virscr, (yrot += 4) & 255);
        blittoscreen(virscr);
        std::memcpy(virscr, menubgd, 307200);
    }
    budgets(state);
}

// The menu turn at 320N x 240N: the scene drawn at that size, then the copy that presentation makes of
// the frame and the copy of the enlarged background that the next frame starts from. At scale 1 this is
// the frame above without the headless display's own work.
void BM_menu_turn_frame_at_scale(benchmark::State &state) {
    SETUP
    const renderframe f = makerenderframe(int(state.range(0)));
    const size_t pixels = size_t(f.width) * size_t(f.height);
    std::vector<uint32_t> frame(pixels), shown(pixels), background(pixels);
    const uint32_t *bg = reinterpret_cast<const uint32_t *>(menubgd);
    for (int y = 0; y < f.height; y++)
        for (int x = 0; x < f.width; x++)
            background[size_t(y) * size_t(f.width) + size_t(x)] = bg[(y / f.scale) * 320 + x / f.scale];
    std::memcpy(frame.data(), background.data(), pixels * 4);
    unsigned char *screen = reinterpret_cast<unsigned char *>(frame.data());
    int yrot = 0;
    for (auto _ : state) {
        facesortprocessmenu(menuw, screen, (yrot += 4) & 255, f);
        std::memcpy(shown.data(), frame.data(), pixels * 4);
        std::memcpy(frame.data(), background.data(), pixels * 4);
        benchmark::ClobberMemory();
    }
    budgets(state);
}

void BM_door_frame(benchmark::State &state) {
    SETUP
    switchmode(320, 240);
    int shift = 0;
    for (auto _ : state) {
        shiftopenartmenu(menuw, virscr, shift++ % 100);
        blittoscreen(virscr);
        std::memcpy(virscr, artmenu, 307200);
    }
    budgets(state);
}

void BM_artmenu_frame(benchmark::State &state) {
    SETUP
    switchmode(320, 240);
    for (auto _ : state) {
        glcount += 2;
        hilightselection(glcount & 127, artmenu, artbalk, artmenupos);
        blittoscreen(artmenu);
    }
    budgets(state);
}

void leavesframe(benchmark::State &state, const unsigned char *pic) {
    SETUP
    switchmode(640, 480);
    initleaves();
    std::memcpy(virscr, pic, 1228800);
    int n = 1;
    for (auto _ : state) {
        moveleaves();
        drawleaves(virscr, virscr2, pic, n++); // fades, plots, merges and presents
    }
    switchmode(320, 240);
    budgets(state);
}
void BM_credits_frame(benchmark::State &state) {
    leavesframe(state, credits);
}
void BM_greetings_frame(benchmark::State &state) {
    leavesframe(state, greetings);
}

void BM_intro_frame_with_fade(benchmark::State &state) {
    SETUP
    switchmode(320, 240);
    int f = 300;
    for (auto _ : state) {
        facesortprocess(introw, virscr, f);
        fadeinpicture(virscr, zarnbw, fadenrtab[128]);
        blittoscreen(virscr);
        f = f >= 1300 ? 300 : f + 1;
    }
    budgets(state);
}

} // namespace

BENCHMARK(BM_memcpy_640x480);
BENCHMARK(BM_menu_turn_frame);
BENCHMARK(BM_menu_turn_frame_at_scale)->Arg(1)->Arg(4)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_door_frame);
BENCHMARK(BM_artmenu_frame);
BENCHMARK(BM_credits_frame);
BENCHMARK(BM_greetings_frame);
BENCHMARK(BM_intro_frame_with_fade);
