// Random keys (single presses, auto-repeat bursts, Escape storms) through every state of the show for
// more than thirty minutes of show time (six under the sanitizers), on the generated data tree: no crash,
// no hang, flat memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // the sanitizer's own count of live bytes
#else
#include <malloc.h>
#endif

#include "display/display.h"
#include "shell/shell.h"
#include "show/show.h"

namespace fs = std::filesystem;

namespace {

constexpr double INTRO = 56.0;               // the intro ignores keys; the script starts after it
constexpr double SOAK = SOAK_MINUTES * 60.0; // show time of random keys
constexpr double MARK = INTRO + std::min(8 * 60.0, SOAK / 4); // memory is measured from here on

std::string writescript(const std::string &path, unsigned seed) {
    std::mt19937 rng(seed);
    std::ofstream out(path);
    const char *keys[] = {"Enter", "Escape", "Left", "Right", "Up", "Down", "Space"};
    std::uniform_real_distribution<double> gap(0.05, 1.2);
    std::uniform_int_distribution<int> pick(0, 99), which(0, 6), burst(4, 60), storm(6, 30);
    for (double t = INTRO; t < INTRO + SOAK;) {
        const int p = pick(rng);
        if (p < 8)
            out << t << " Escape x" << storm(rng) << "\n"; // an Escape storm
        else if (p < 25)
            out << t << " " << keys[2 + which(rng) % 5] << " x" << burst(rng) << "\n"; // auto-repeat
        else
            out << t << " " << keys[which(rng)] << "\n";
        t += gap(rng) * (p < 25 ? 2.0 : 1.0);
        if (t >= INTRO + SOAK) out << t + 1.0 << " Close\n";
    }
    return path;
}

long rsskb() {
    long pages = 0, rss = 0;
    std::ifstream("/proc/self/statm") >> pages >> rss;
    return rss * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the program holds on the heap. (Under AddressSanitizer the resident size also counts the
// sanitizer's quarantine of freed blocks, which fills up to its limit whatever the program does.)
long heapkb() {
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return long(mallinfo2().uordblks / 1024);
#endif
}

long rssatmark = -1, rssmax = 0, heapatmark = -1, heapmax = 0, heaplast = 0;
long exitsrefused = 0;
bool visited[6];

// The soak must run its whole length: Enter on the exit item would end the show, so that one key is
// taken away here. Everything else reaches the show's own window procedure.
LRESULT soakproc(HWND w, unsigned m, WPARAM wp, LPARAM lp) {
    visited[whichpart] = true;
    if (GetTickCount() >= MARK * 1000.0) {
        const long r = rsskb(), h = heapkb();
        if (rssatmark < 0) rssatmark = r, heapatmark = h;
        rssmax = std::max(rssmax, r);
        heapmax = std::max(heapmax, h);
        heaplast = h;
    }
    if (m == WM_KEYDOWN && wp == VK_RETURN && whichpart == PART_MENU && menucursel == 3) {
        exitsrefused++;
        return 0;
    }
    return WindowProc(w, m, wp, lp);
}

} // namespace

TEST(Soak, RandomKeysThroughEveryStateForLong) {
    const std::string data = std::string(SHOWCASE_BIN_DIR) + "/data";
    if (!fs::exists(data + "/gfx/intro.3DS")) GTEST_SKIP() << "no data tree in " << data;
    alarm(2900); // a hang ends the process rather than the machine's patience

    PlatformOptions o;
    o.headless = true;
    o.keys = writescript((fs::temp_directory_path() / "showcase-soak.keys").string(), 1998);
    ASSERT_EQ(chdir(data.c_str()), 0);
    ASSERT_TRUE(platform_init(o));
    EXPECT_EQ(runshow(soakproc), 0);

    EXPECT_GE(GetTickCount(), (INTRO + SOAK) * 1000.0) << "the show ran its whole length";
    for (int s = PART_MENU; s <= PART_PICTURE; s++) EXPECT_TRUE(visited[s]) << "state " << s;
    std::printf("soak: %.1f minutes of show time, %ld exit selections held back; at minute %.0f heap %ld kB, "
                "RSS %ld kB; at most heap %ld kB, RSS %ld kB; heap at the end %ld kB\n",
                GetTickCount() / 60000.0, exitsrefused, MARK / 60.0, heapatmark, rssatmark, heapmax, rssmax,
                heaplast);
    // Everything is allocated before the first frame; what the picture decoder borrows it gives back.
    // The one swing allowed: the display's two surfaces take 1,800 kB more at 640 x 480 than at 320 x 240.
    EXPECT_LE(heapmax - heapatmark, 1800 + 64) << "the heap grows while the show runs";
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(rssmax - rssatmark, 24 * 1024) << "memory grows while the show runs";
#endif
}
