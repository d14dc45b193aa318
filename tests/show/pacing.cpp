// The intro of the generated show at the headless 60 Hz clock: where its camera runs into the white, and that
// keys pressed meanwhile change nothing of it.
#include <vector>

#include "showfixture.h"

namespace {

class DefaultShowPacing : public showtest::GeneratedShow {
  protected:
    void SetUp() override {
        GeneratedShow::SetUp();
        showtest::seen.clear();
        onsequencepass = [](const sequencepass &p) { showtest::seen.push_back(p); };
    }
    void TearDown() override { onsequencepass = nullptr; }
};

} // namespace

TEST_F(DefaultShowPacing, TheCameraRunsIntoTheWhiteWithoutStandingAtItsEnd) {
    runintro();
    // Into the white the camera runs on about 62 frames past numframes - 64 and does not stand at its end.
    const auto white = showtest::ofsegment(8);
    ASSERT_FALSE(white.empty());
    EXPECT_GE(white.front().camframe, introw->numframes - 64);
    long atlast = 0;
    for (auto &p : white) atlast += p.camframe >= introw->numframes - 1;
    EXPECT_LE(atlast, 2) << "passes into the white that show the camera's last frame (camera frames "
                         << white.front().camframe << " to " << white.back().camframe << ")";
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
