// The timed sequences of the generated show at the headless 60 Hz clock: how long the logos and the whites
// take, where the intro's camera runs, and that the exit comes to its end. The figures are printed for the
// record.
#include <cstdio>
#include <filesystem>
#include <map>

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
