// The shared state's frame-timing ring.
#include <gtest/gtest.h>

#include "state/state.h"

// The sum of the last eight frames is shifted right by three: 17 + 16 x 7 = 129 gives 16, not 16.125.
// (That a ring of nothing still advances is what ends the sequences' loops at a mean of 0 ms; that the
// stamps go round the ring is what puts the tour's menu on screen in time.)
TEST(FrameTiming, TruncatedMeanOfEightFramesTimesSpeed) {
    for (int k = 0; k < 8; k++) {
        T1[k] = 1000 * k;
        T2[k] = 1000 * k + (k ? 16 : 17);
    }
    EXPECT_FLOAT_EQ(updateframecount(60.0f), 16 * 0.001f * 60.0f);
}
