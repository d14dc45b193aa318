// The shell's tables, the frame-timing ring and the one-message pump.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/shell.h"

namespace {

void setring(const int (&durations)[8]) {
    for (int k = 0; k < 8; k++) {
        T1[k] = 1000 * k;
        T2[k] = 1000 * k + durations[k];
    }
}

} // namespace

TEST(Tables, StepIsTwoTimesThreePointFourteenOver256) {
    calctabs();
    EXPECT_EQ(costab[0], 1.0f);
    EXPECT_EQ(sintab[0], 0.0f);
    // 3.14 instead of pi: a quarter of the table falls short of a right angle.
    EXPECT_EQ(costab[64], float(std::cos(64 * 0.00390625 * 2.0 * 3.14)));
    EXPECT_GT(costab[64], 0.0007f);
    EXPECT_EQ(sintab[128], float(std::sin(3.14)));
    EXPECT_GT(sintab[128], 0.0015f);
    EXPECT_NE(sintab[64], 1.0f);
}

TEST(FrameTiming, MeanOfEightFramesTimesSpeed) {
    setring({16, 16, 16, 16, 16, 16, 16, 16});
    EXPECT_FLOAT_EQ(updateframecount(31.0f), 16 * 0.001f * 31.0f);
    EXPECT_FLOAT_EQ(updateframecount(120.0f), 16 * 0.001f * 120.0f);
    // The sum is shifted right by three: 17+16*7 = 129 -> 16, not 16.125.
    setring({17, 16, 16, 16, 16, 16, 16, 16});
    EXPECT_FLOAT_EQ(updateframecount(60.0f), 16 * 0.001f * 60.0f);
    setring({23, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FLOAT_EQ(updateframecount(1000.0f), 2.0f);
}

TEST(FrameTiming, AlwaysAdvancesWhenNothingWasMeasured) {
    setring({0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_GT(updateframecount(31.0f), 0.0f);
    setring({7, 0, 0, 0, 0, 0, 0, 0}); // mean rounds down to 0
    EXPECT_GT(updateframecount(31.0f), 0.0f);
}

TEST(FrameTiming, StampsFillTheRingInTurn) {
    POSINTS = 6;
    for (int i = 0; i < 3; i++) {
        framestart();
        frameend();
    }
    EXPECT_EQ(POSINTS, 1);
}

namespace {
int dispatched = 0;
LRESULT countingproc(HWND, unsigned message, WPARAM, LPARAM) {
    if (message == WM_KEYDOWN) dispatched++;
    return 0;
}
} // namespace

TEST(MessagePump, EmptyQueueQuitAndDispatch) {
    PlatformOptions o;
    o.headless = true;
    ASSERT_TRUE(platform_init(o));
    CreateShowWindow("test", 320, 240, countingproc);
    MSG m;
    while (PeekMessage(&m)) {
    }
    QUIT = 0;
    EXPECT_EQ(nomessage(), 1);
    PostMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(nomessage(), 0);
    EXPECT_EQ(dispatched, 1);
    EXPECT_EQ(msg.wParam, WPARAM(VK_RETURN));
    PostQuitMessage(7);
    EXPECT_EQ(nomessage(), 0);
    EXPECT_EQ(QUIT, 1);
    EXPECT_EQ(msg.message, unsigned(WM_QUIT));
    EXPECT_EQ(msg.wParam, WPARAM(7));
    EXPECT_EQ(dispatched, 1); // the quit message is not dispatched
    QUIT = 0;
}

TEST(Memory, MymallocIsZeroFilled) {
    auto *p = static_cast<unsigned char *>(mymalloc(1228800, 4096));
    for (int i = 0; i < 1228800; i += 4099) ASSERT_EQ(p[i], 0);
    EXPECT_EQ(p[1228799], 0);
}
