// The timed sequences of the generated show at the headless 60 Hz clock: how long the logos and the whites
// take, where the intro's camera runs, and that the exit comes to its end. The figures are printed for the
// record.
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "showfixture.h"

namespace {

std::map<int, std::vector<sequencepass>> bysegment;

class DefaultShowPacing : public showtest::GeneratedShow {
  protected:
    void SetUp() override {
        GeneratedShow::SetUp();
        if (IsSkipped()) return;
        bysegment.clear();
        onsequencepass = [](const sequencepass &p) { bysegment[p.segment].push_back(p); };
    }
    void TearDown() override { onsequencepass = nullptr; }

    // Every shown frame of a timed loop measures 16 or 17 ms on the 60 Hz clock: the ring's mean is 16.
    static double measuredseconds(int segment) { return double(bysegment[segment].size()) * 0.016; }
};

} // namespace

TEST_F(DefaultShowPacing, LogosAndWhitesTakeTheirTimeAndTheCameraRunsToTheEnd) {
    const long before = platform_shownframes();
    runintro();
    const long introframes = platform_shownframes() - before;
    std::printf("intro: %ld frames;", introframes);
    for (auto &[s, passes] : bysegment) std::printf(" segment %d: %zu", s, passes.size());
    std::printf("\n");

    // 250 levels at 4 x 31 levels a second each way for the logos and into the white, 240 a second out of it.
    for (int s : {2, 3, 8}) EXPECT_NEAR(measuredseconds(s), 250.0 / 124.0, 0.1 * 250.0 / 124.0) << s;
    EXPECT_NEAR(measuredseconds(9), 250.0 / 240.0, 0.1 * 250.0 / 240.0);
    // The second logo rises to 240 and falls from there.
    EXPECT_NEAR(measuredseconds(5) + measuredseconds(6), 480.0 / 124.0, 0.1 * 480.0 / 124.0);
    // Into the white the camera runs on about 62 frames past numframes - 64 and does not stand at its end.
    const auto &white = bysegment[8];
    ASSERT_FALSE(white.empty());
    EXPECT_GE(white.front().camframe, introw->numframes - 64);
    long atlast = 0;
    for (auto &p : white) atlast += p.camframe >= introw->numframes - 1;
    std::printf("into the white: camera frames %d to %d, %ld passes at the last frame\n",
                white.front().camframe, white.back().camframe, atlast);
    EXPECT_LE(atlast, 2) << "passes into the white that show the camera's last frame";

    // The exit: out into the white at 240 levels a second, the eye out of it at 120.
    bysegment.clear();
    menucursel = 3;
    runexit();
    std::printf("exit:");
    for (auto &[s, passes] : bysegment) std::printf(" step %d: %zu", s, passes.size());
    std::printf("\n");
    EXPECT_NEAR(measuredseconds(2), 250.0 / 240.0, 0.1 * 250.0 / 240.0);
    EXPECT_NEAR(measuredseconds(3), 255.0 / 120.0, 0.1 * 255.0 / 120.0);
    EXPECT_EQ(QUIT, 1);
}

// Keys pressed during the intro change nothing of it: with a flood of keys (three after every shown
// frame) the same frames are shown at the same ticks up to the menu as without.
TEST_F(DefaultShowPacing, KeysDuringTheIntroChangeNothingOfIt) {
    struct shown {
        uint32_t tick;
        int segment, camframe, level;
        uint64_t sum; // of the frame on the screen as this pass starts: the one the previous pass showed
        bool operator==(const shown &) const = default;
    };
    static std::vector<shown> run[2];
    static int flooding;
    onsequencepass = [](const sequencepass &p) {
        const uint32_t *px = surface_pixels(lpDDSPrimary);
        uint64_t sum = 1469598103934665603ull;
        for (long i = 0, n = long(surface_width(lpDDSPrimary)) * surface_height(lpDDSPrimary); i < n; i++)
            sum = (sum ^ px[i]) * 1099511628211ull;
        run[flooding].push_back({GetTickCount(), p.segment, p.camframe, p.level, sum});
        for (int k = 0; flooding && k < 3; k++) showtest::press(VK_RIGHT);
    };
    std::vector<unsigned char> start(virscr, virscr + HIRESBYTES);
    for (flooding = 0; flooding < 2; flooding++) {
        run[flooding].clear();
        std::copy(start.begin(), start.end(), virscr);
        for (int k = 0; k < 8; k++) T1[k] = 0, T2[k] = 16;
        POSINTS = 0;
        whichpart = PART_INTRO;
        const uint32_t t0 = GetTickCount();
        runintro();
        for (shown &s : run[flooding]) s.tick -= t0;
        showtest::drainquits();
    }
    ASSERT_GT(run[0].size(), 1000u);
    ASSERT_EQ(run[1].size(), run[0].size());
    for (size_t i = 1; i < run[0].size(); i++) ASSERT_TRUE(run[1][i] == run[0][i]) << "pass " << i;
    whichpart = PART_MENU;
}
