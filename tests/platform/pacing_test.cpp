// The 60 Hz pace on a simulated display: with vertical sync at any refresh rate, and without it, a second
// holds at most 60 shown frames and, when frames are quick, 60 of them.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "platform/pacing.h"

namespace {

struct PacedRun {
    int frames = 0;
    bool sharedtick = false; // two frames in one 60 Hz tick
};

// Shows frames for `seconds` of simulated time. Each frame takes `work` seconds to draw; with vsync at
// `hz` the present then waits for the display's next blank (phase `phase` of a refresh period).
PacedRun simulate(double hz, bool vsync, double work, double seconds, double phase = 0.3) {
    FramePacer pacer;
    PacedRun r;
    std::set<long> ticks;
    double t = 0.0;
    while (t < seconds) {
        t += work;
        const double at = pacer.showtime(t);
        EXPECT_GE(at, t);
        t = at;
        pacer.shown(at);
        if (!ticks.insert(long(std::floor(at * PACEHZ))).second) r.sharedtick = true;
        if (vsync) {
            const double period = 1.0 / hz;
            t = (std::floor(t / period - phase) + 1.0 + phase) * period;
        }
        if (t < seconds) r.frames++;
    }
    return r;
}

} // namespace

TEST(Pacing, SixtyFramesASecondWithVsyncAtAnyRefreshRateAndWithoutIt) {
    for (double hz : {60.0, 75.0, 120.0, 144.0, 165.0, 240.0}) {
        for (double phase : {0.0, 0.3, 0.97}) {
            const PacedRun r = simulate(hz, true, 0.002, 10.0, phase);
            EXPECT_FALSE(r.sharedtick) << hz << " Hz";
            EXPECT_NEAR(r.frames, 600, 2) << hz << " Hz, phase " << phase;
        }
    }
    const PacedRun timer = simulate(0, false, 0.002, 10.0);
    EXPECT_FALSE(timer.sharedtick);
    EXPECT_NEAR(timer.frames, 600, 1);
}

TEST(Pacing, SlowDisplaysAndSlowFramesAreNeverMadeUpForWithFasterFrames) {
    // A 50 Hz display shows 50 frames a second; frames that take 25 ms show 40. Neither bursts afterwards.
    const PacedRun fifty = simulate(50.0, true, 0.001, 10.0);
    EXPECT_NEAR(fifty.frames, 500, 2);
    EXPECT_FALSE(fifty.sharedtick);
    const PacedRun slow = simulate(0, false, 0.025, 10.0);
    EXPECT_NEAR(slow.frames, 400, 2);
    EXPECT_FALSE(slow.sharedtick);
    // After a long stall the next frame goes at once and the one after waits for the next tick.
    FramePacer p;
    p.shown(0.0);
    EXPECT_DOUBLE_EQ(p.showtime(5.0), 5.0);
    p.shown(5.0);
    EXPECT_GE(p.showtime(5.0001) * PACEHZ, std::floor(5.0 * PACEHZ) + 1.0);
}
