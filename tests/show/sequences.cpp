// The timed sequences: the intro's ten segments and the exit's four, their order, their end conditions,
// camera frames inside the scene's table, and progress when nothing is drawn.
#include <algorithm>

#include "showfixture.h"

using namespace showtest;

namespace {

std::vector<sequencepass> seen;

class Sequences : public ::testing::Test {
  protected:
    void SetUp() override {
        setupshow();
        seen.clear();
        onsequencepass = [](const sequencepass &p) { seen.push_back(p); };
    }

    std::vector<sequencepass> ofsegment(int s) {
        std::vector<sequencepass> r;
        std::copy_if(seen.begin(), seen.end(), std::back_inserter(r),
                     [s](auto &p) { return p.segment == s; });
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

TEST_F(Sequences, IntroRunsItsSegmentsInOrder) {
    introw = emptyworld(1400);
    whichpart = PART_INTRO;
    waitblank = 1;
    runintro();
    EXPECT_EQ(waitblank, 1);
    for (int s = 1; s <= 10; s++) ASSERT_FALSE(ofsegment(s).empty()) << "segment " << s;
    for (size_t i = 1; i < seen.size(); i++) {
        ASSERT_GE(seen[i].segment, seen[i - 1].segment);
        // The intro's camera runs on unbroken through segments 1 to 8; the menu's starts again at 0.
        EXPECT_TRUE(seen[i].segment == 9 || seen[i].camframe >= seen[i - 1].camframe) << "pass " << i;
    }
    EXPECT_EQ(ofsegment(1).front().camframe, 0);
    EXPECT_EQ(ofsegment(9).front().camframe, 0);
    EXPECT_LT(ofsegment(1).back().camframe, 200);
    EXPECT_GE(ofsegment(2).front().camframe, 200);
    EXPECT_GE(ofsegment(5).front().camframe, 900);

    // Levels: in from 1 below 250, out from 250, the second logo in below 240 and out from there.
    EXPECT_EQ(ofsegment(2).front().level, 1);
    EXPECT_LT(ofsegment(2).back().level, 250);
    EXPECT_EQ(ofsegment(3).front().level, 250);
    EXPECT_GT(ofsegment(3).back().level, 0);
    EXPECT_LT(ofsegment(5).back().level, 240);
    EXPECT_GE(ofsegment(6).front().level, 240);
    EXPECT_EQ(ofsegment(8).front().level, 1);
    EXPECT_EQ(ofsegment(9).front().level, 250);
    // The menu camera stops short of its rest view; the first menu frame then draws the rest view.
    EXPECT_LT(ofsegment(10).back().camframe, menuw->numframes - 100);
    for (auto &p : seen)
        EXPECT_EQ(p.level < 0, p.segment == 1 || p.segment == 4 || p.segment == 7 || p.segment == 10);
}

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

TEST_F(Sequences, PassesThatHandleMessagesStillAdvanceAndEveryLoopEnds) {
    // Every pass finds a message: nothing is drawn, the ring is not touched, the intro still ends.
    QUIT = 1;
    const long shown = platform_shownframes();
    runintro();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(platform_shownframes(), shown);
    // Nothing measured at all: the loops still end.
    for (int k = 0; k < 8; k++) T1[k] = T2[k] = 0;
    runintro();
    EXPECT_TRUE(seen.empty());
    // The window closed before the exit: it draws nothing and quits once.
    SetUp();
    PostMessage(WM_DESTROY, 0, 0);
    runexit();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(QUIT, 1);
    EXPECT_EQ(drainquits(), 1);
}

TEST_F(Sequences, ExitFliesOutFadesAndReleasesOnce) {
    menuw = emptyworld(400); // 400 - 100 = 300 > 200: the fly-out is drawn
    menucursel = 3;
    menurotpos = 192;
    // Keys during the exit: a left turn is drawn between the exit's frames, Enter starts nothing.
    for (int k : {VK_LEFT, VK_RETURN, VK_RETURN}) press(k);
    keydispatcher(VK_RETURN, 0);
    EXPECT_EQ(QUIT, 1);
    EXPECT_EQ(lpDD, nullptr);
    EXPECT_EQ(whichpart, PART_MENU);
    EXPECT_EQ(menurotpos, 128);
    EXPECT_EQ(menucursel, 2);
    EXPECT_EQ(drainquits(), 1) << "one exit, one quit";

    for (size_t i = 1; i < seen.size(); i++) ASSERT_GE(seen[i].segment, seen[i - 1].segment);
    for (int s = 1; s <= 4; s++) ASSERT_FALSE(ofsegment(s).empty()) << "step " << s;
    EXPECT_LE(ofsegment(1).front().camframe, 300); // the pass that turned the menu moved it on
    EXPECT_GE(ofsegment(1).back().camframe, 200);
    EXPECT_EQ(ofsegment(2).front().level, 0);
    EXPECT_LT(ofsegment(2).back().level, 250);
    EXPECT_EQ(ofsegment(3).front().level, 255);
    EXPECT_EQ(ofsegment(4).front().level, 40);
    EXPECT_EQ(ofsegment(4).back().level, 0);
    for (auto &p : ofsegment(4)) EXPECT_GE(p.level, 0);
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
