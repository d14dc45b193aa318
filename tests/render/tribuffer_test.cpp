// The triangle buffer: hand-out limit, depth key and the exact order of the depth sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "helpers.h"

namespace {

textmapclip recs[64];

// Lists records 0.. with the given keys and sorts them.
void sortkeys(const std::vector<int> &keys) {
    for (whichindex = 0; whichindex < int(keys.size()); whichindex++) {
        recs[whichindex].depth = keys[size_t(whichindex)];
        sortedtri[whichindex] = &recs[whichindex];
    }
    qsorttribuffer(0, whichindex - 1);
}

} // namespace

TEST(TriBuffer, SortPutsFarthestFirstWithTiesInThePartitionsOrder) {
    // Worked by hand through the partition steps: keys 1, 3, 3, 2 end as records 1, 2, 3, 0; keys 5, 5, 5:
    // the first exchange swaps the outer two, then the left pair: 2, 1, 0 -> 1, 2, 0.
    sortkeys({1, 3, 3, 2});
    EXPECT_EQ(std::vector<textmapclip *>(sortedtri, sortedtri + 4),
              (std::vector<textmapclip *>{&recs[1], &recs[2], &recs[3], &recs[0]}));
    sortkeys({5, 5, 5});
    EXPECT_EQ(sortedtri[2], &recs[0]);
    sortkeys({}); // an empty frame
    EXPECT_EQ(whichindex, 0);

    std::mt19937 rng(7);
    for (int round = 0; round < 50; round++) {
        std::vector<int> keys(64);
        for (int &k : keys) k = int(rng() % 9) - 4 + (round % 2 ? int(rng()) : 0);
        sortkeys(keys);
        for (int k = 1; k < whichindex; k++) ASSERT_GE(sortedtri[k - 1]->depth, sortedtri[k]->depth);
        std::vector<textmapclip *> seen(sortedtri, sortedtri + whichindex);
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
    }
}

TEST(TriBuffer, DepthKeyRoundsTheMeanUpwards) {
    EXPECT_EQ(depthkey(1.0f, 2.0f, 3.0f), 2);
    EXPECT_EQ(depthkey(1.0f, 1.0f, 1.5f), 2);
    EXPECT_EQ(depthkey(-3.0f, -3.0f, -4.0f), -3);
    EXPECT_EQ(depthkey(NAN, 1.0f, 1.0f), INT32_MIN);
}

TEST(TriBufferDeathTest, RunningOutOfRecordsEndsWithALineNamingTheLimit) {
    inittribuffer();
    whichtri = 0;
    for (int k = 0; k < 4999; k++) ASSERT_EQ(gettextmapclip(), &TRIBUFFER[k]);
    EXPECT_EXIT(gettextmapclip(), testing::ExitedWithCode(1), "more than 4999 triangles");
    whichtri = 0;
}
