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

// With vsync at any refresh rate from 60 Hz and without it, a second holds 60 frames; a 50 Hz display shows
// 50 a second and frames that take 25 ms show 40. No two frames share a tick: none is made up for later.
TEST(Pacing, SixtyFramesASecondAtMostAndSlowDisplaysAndFramesAreNeverMadeUpFor) {
    const struct {
        double hz;
        bool vsync;
        double work;
        int frames, within;
    } cases[] = {{60.0, true, 0.002, 600, 2},  {75.0, true, 0.002, 600, 2},  {120.0, true, 0.002, 600, 2},
                 {144.0, true, 0.002, 600, 2}, {165.0, true, 0.002, 600, 2}, {240.0, true, 0.002, 600, 2},
                 {0.0, false, 0.002, 600, 1},  {50.0, true, 0.001, 500, 2},  {0.0, false, 0.025, 400, 2}};
    for (const auto &c : cases)
        for (double phase : {0.0, 0.3, 0.97}) {
            const PacedRun r = simulate(c.hz, c.vsync, c.work, 10.0, phase);
            EXPECT_FALSE(r.sharedtick) << c.hz << " Hz, " << c.work << " s a frame, phase " << phase;
            EXPECT_NEAR(r.frames, c.frames, c.within)
                << c.hz << " Hz, " << c.work << " s a frame, phase " << phase;
        }
}

TEST(Pacing, AfterALongStallTheNextFrameGoesAtOnceAndTheOneAfterWaitsForTheNextTick) {
    FramePacer p;
    p.shown(0.0);
    EXPECT_DOUBLE_EQ(p.showtime(5.0), 5.0);
    p.shown(5.0);
    EXPECT_GE(p.showtime(5.0001) * PACEHZ, std::floor(5.0 * PACEHZ) + 1.0);
}
