// The timed sequences: the intro's ten segments and the exit's four, their order, their end conditions,
// camera frames inside the scene's table, and progress when nothing is drawn.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <tuple>

#include "showfixture.h"

using namespace showtest;

namespace {

// Holds the ring's mean render time at simulatedmean ms whatever the shown frames measure: as each drawn
// pass starts, the seven other slots are set so that with this pass's own frame (16 or 17 ms on the 60 Hz
// clock) the ring's mean is simulatedmean.
int simulatedmean = 0;
void record(const sequencepass &p) {
    seen.push_back(p);
    if (simulatedmean <= 0) return;
    for (int k = 0; k < 8; k++)
        if (k != POSINTS) T1[k] = T2[k] = 0;
    T2[(POSINTS + 1) & 7] = 8 * simulatedmean - 16;
}
void setmean(int ms) {
    simulatedmean = ms;
    for (int k = 0; k < 8; k++) T1[k] = 0, T2[k] = ms;
}

// Ends the test program with a failure naming the loop when it does not come to its end within a minute.
const char *running = "";
template <class F> void withinaminute(const char *what, F loop) {
    running = what;
    std::signal(SIGALRM, [](int) {
        std::fprintf(stderr, "%s: still running after 60 s\n", running);
        std::abort();
    });
    alarm(60);
    loop();
    alarm(0);
}

// The levels a fade shows when every pass moves it by the same amount and the truncation loses nothing:
// from start while the level is below (rising) or above (falling) the end.
std::vector<int> losslessfade(int start, int end, int step) {
    std::vector<int> levels;
    for (int l = start; step > 0 ? l < end : l > end; l += step) levels.push_back(l);
    return levels;
}

class Sequences : public ::testing::Test {
  protected:
    void SetUp() override {
        setupshow();
        seen.clear();
        simulatedmean = 0;
        onsequencepass = record;
    }
    void TearDown() override { simulatedmean = 0; }

    std::vector<int> levels(int s) {
        std::vector<int> r;
        for (auto &p : ofsegment(s)) r.push_back(p.level);
        return r;
    }
    // Every intro pass used a camera frame of its scene's table (the menu's from segment 9 on).
    void expectinsidetables() {
        for (auto &p : seen) {
            EXPECT_GE(p.camframe, 0) << "segment " << p.segment;
            EXPECT_LT(p.camframe, (p.segment >= 9 ? menuw : introw)->numframes) << "segment " << p.segment;
        }
    }
};

} // namespace

TEST_F(Sequences, ShortScenesAndStallsKeepCameraFramesInsideTheTables) {
    introw = emptyworld(700); // 700 - 64 lies before 900: segment 7 draws nothing
    menuw = emptyworld(100);  // 100 - 100 = 0: segment 10 ends at once
    runintro();
    EXPECT_TRUE(ofsegment(7).empty());
    EXPECT_TRUE(ofsegment(10).empty());
    EXPECT_FALSE(ofsegment(8).empty());
    expectinsidetables(); // positions beyond the table are held at its last frame
    // Every measured frame took ten seconds: one pass jumps hundreds of frames.
    SetUp();
    for (int k = 0; k < 8; k++) T2[k] = 10000;
    runintro();
    expectinsidetables();
}

TEST_F(Sequences, ExitFliesOutFadesAndReleasesOnce) {
    menuw = emptyworld(400); // 400 - 100 = 300 > 200: the fly-out is drawn
    menucursel = 3;
    menurotpos = 192;
    // Keys during the exit: a left turn is drawn between the exit's frames, Enter starts nothing.
    for (int k : {VK_LEFT, VK_RETURN, VK_RETURN}) press(k);
    keydispatcher(VK_RETURN, 0);
    EXPECT_EQ(std::make_tuple(int(QUIT), lpDD, whichpart, int(menurotpos), int(menucursel)),
              std::make_tuple(1, nullptr, PART_MENU, 128, 2));
    EXPECT_EQ(drainquits(), 1) << "one exit, one quit";

    for (size_t i = 1; i < seen.size(); i++) ASSERT_GE(seen[i].segment, seen[i - 1].segment);
    for (int s = 1; s <= 4; s++) ASSERT_FALSE(ofsegment(s).empty()) << "step " << s;
    EXPECT_LE(ofsegment(1).front().camframe, 300); // the pass that turned the menu moved it on
    EXPECT_GE(ofsegment(1).back().camframe, 200);
    EXPECT_EQ(ofsegment(4).front().level, 40);
    EXPECT_EQ(ofsegment(4).back().level, 0);
}

TEST_F(Sequences, ExitOfAShortMenuSkipsTheFlightAndStopsAtFrameZero) {
    menuw = emptyworld(120); // starts at frame 20, falls below 0 during the fade to white
    for (int k = 0; k < 8; k++) T2[k] = 100;
    runexit();
    EXPECT_TRUE(ofsegment(1).empty());
    ASSERT_FALSE(ofsegment(2).empty());
    EXPECT_EQ(ofsegment(2).front().camframe, 20);
    EXPECT_EQ(ofsegment(2).back().camframe, 0);
    for (auto &p : seen) EXPECT_GE(p.camframe, -1);
}

// At every frame rate the intro runs its ten segments in order, its camera unbroken through segments 1 to 8
// (the menu's starts again at 0 and stops short of its rest view, which the first menu frame draws), with a
// level only where a logo or the white shows. A fade takes the same measured time however many frames that
// time is shared between: the truncation of each pass's level no longer throws away up to a level per pass.
TEST_F(Sequences, SegmentsInOrderAndFadesTakeTheSameMeasuredTimeAtEveryFrameRate) {
    for (int mean : {4, 8, 16, 33, 50}) {
        SetUp();
        introw = emptyworld(1400);
        menuw = emptyworld(400);
        setmean(mean);
        waitblank = 1;
        runintro();
        EXPECT_EQ(waitblank, 1);
        for (int s = 1; s <= 10; s++) ASSERT_FALSE(ofsegment(s).empty()) << "segment " << s << ", " << mean;
        for (size_t i = 1; i < seen.size(); i++) {
            ASSERT_GE(seen[i].segment, seen[i - 1].segment);
            EXPECT_TRUE(seen[i].segment == 9 || seen[i].camframe >= seen[i - 1].camframe) << "pass " << i;
        }
        EXPECT_EQ(ofsegment(1).front().camframe, 0);
        EXPECT_EQ(ofsegment(9).front().camframe, 0);
        EXPECT_LT(ofsegment(1).back().camframe, 200);
        EXPECT_GE(ofsegment(2).front().camframe, 200);
        EXPECT_GE(ofsegment(5).front().camframe, 900);
        EXPECT_LT(ofsegment(10).back().camframe, menuw->numframes - 100);
        for (auto &p : seen)
            EXPECT_EQ(p.level < 0, p.segment == 1 || p.segment == 4 || p.segment == 7 || p.segment == 10);
        expectfadetimes(false, mean);
        seen.clear();
        withinaminute("the exit", runexit);
        expectfadetimes(true, mean);
        EXPECT_EQ(drainquits(), 1);
    }
}

// Where a pass's move is a whole number of levels, the levels shown are those of plain truncation.
TEST_F(Sequences, WholeStepsShowTheLevelsOfPlainTruncation) {
    introw = emptyworld(1400);
    setmean(250); // 250 ms x 0.001 x 31 x FADESTEP: 31 levels a pass
    runintro();
    EXPECT_EQ(levels(2), losslessfade(1, 250, 31));
    EXPECT_EQ(levels(3), losslessfade(250, 0, -31));
    EXPECT_EQ(levels(5), losslessfade(1, 240, 31));
    EXPECT_EQ(levels(6), losslessfade(249, 0, -31));
    EXPECT_EQ(levels(8), losslessfade(1, 250, 31));
    SetUp();
    setmean(50); // at 60 frames a second of render time: 12 levels a pass
    runintro();
    EXPECT_EQ(levels(9), losslessfade(250, 0, -12));
    seen.clear();
    runexit(); // 50 ms x 0.001 x 120: 6 a pass for the eye, FADESTEP x 6 / 2 = 12 into the white
    EXPECT_EQ(levels(2), losslessfade(0, 250, 12));
    EXPECT_EQ(levels(3), losslessfade(255, 0, -6));
}

// The window closed before the intro or the exit: every pass finds a message, so nothing is drawn and the
// ring keeps its mean; every segment still ends, also where a pass moves a fade by less than a level or
// nothing was measured at all, and the show quits once.
TEST_F(Sequences, PassesThatHandleMessagesStillAdvanceAndEveryLoopEndsAtEveryShortMean) {
    for (int mean : {0, 1, 2, 3, 4, 5, 16}) {
        SetUp();
        menuw = emptyworld(400);
        setmean(mean);
        QUIT = 1;
        const long shown = platform_shownframes();
        withinaminute("the intro with the window closed", runintro);
        QUIT = 0;
        PostMessage(WM_DESTROY, 0, 0);
        withinaminute("the exit with the window closed", runexit);
        EXPECT_TRUE(seen.empty()) << mean << " ms";
        EXPECT_EQ(platform_shownframes(), shown);
        EXPECT_EQ(QUIT, 1);
        EXPECT_EQ(drainquits(), 1) << mean << " ms";
    }
}

// Whatever a pass is given to move, a fade level moves: nothing measured, or nonsense, still ends a fade.
TEST(FadeLevel, EveryPassMovesTheLevel) {
    for (float by : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        fadelevel up{1.0f}, down{250.0f};
        int passes = 0;
        for (; (up.level() < 250 || down.level() > 0) && passes < 100000; passes++) {
            up.rise(by);
            down.fall(by);
        }
        EXPECT_LE(passes, 250 * 16) << by;
    }
}
