// The shared state's frame-timing ring and its one-message pump.
#include <gtest/gtest.h>

#include "state/state.h"

namespace {

void setring(const int (&durations)[8]) {
    for (int k = 0; k < 8; k++) {
        T1[k] = 1000 * k;
        T2[k] = 1000 * k + durations[k];
    }
}

} // namespace

// The sum of the last eight frames is shifted right by three (17 + 16 x 7 = 129 gives 16, not 16.125), and a
// mean of nothing still advances.
TEST(FrameTiming, TruncatedMeanOfEightFramesTimesSpeedAndAlwaysAdvancing) {
    setring({17, 16, 16, 16, 16, 16, 16, 16});
    EXPECT_FLOAT_EQ(updateframecount(60.0f), 16 * 0.001f * 60.0f);
    setring({23, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FLOAT_EQ(updateframecount(1000.0f), 2.0f);
    for (int first : {0, 7}) {
        setring({first, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_GT(updateframecount(31.0f), 0.0f) << first;
    }
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
