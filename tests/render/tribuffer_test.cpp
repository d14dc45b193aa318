// The triangle buffer: hand-out limit, depth key and the exact order of the depth sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "helpers.h"

namespace {

textmapclip recs[64];

void list(std::initializer_list<int> keys) {
    whichindex = 0;
    int k = 0;
    for (int key : keys) {
        recs[k].depth = key;
        sortedtri[whichindex++] = &recs[k++];
    }
}

int pos(int rec) {
    return int(std::find(sortedtri, sortedtri + whichindex, &recs[rec]) - sortedtri);
}

} // namespace

TEST(TriBuffer, SortPutsFarthestFirstWithTiesInThePartitionsOrder) {
    // Worked by hand through the partition steps: keys 1, 3, 3, 2 end as records 1, 2, 3, 0.
    list({1, 3, 3, 2});
    qsorttribuffer(0, whichindex - 1);
    EXPECT_EQ(sortedtri[0], &recs[1]);
    EXPECT_EQ(sortedtri[1], &recs[2]);
    EXPECT_EQ(sortedtri[2], &recs[3]);
    EXPECT_EQ(sortedtri[3], &recs[0]);

    // Keys 5, 5, 5: the first exchange swaps the outer two, then the left pair: 2, 1, 0 -> 1, 2, 0.
    list({5, 5, 5});
    qsorttribuffer(0, 2);
    EXPECT_EQ(pos(0), 2);

    std::mt19937 rng(7);
    for (int round = 0; round < 50; round++) {
        whichindex = 0;
        for (int k = 0; k < 64; k++) {
            recs[k].depth = int(rng() % 9) - 4 + (round % 2 ? int(rng()) : 0);
            sortedtri[whichindex++] = &recs[k];
        }
        qsorttribuffer(0, whichindex - 1);
        for (int k = 1; k < whichindex; k++) ASSERT_GE(sortedtri[k - 1]->depth, sortedtri[k]->depth);
        std::vector<textmapclip *> seen(sortedtri, sortedtri + whichindex);
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
    }

    list({});
    qsorttribuffer(0, -1); // an empty frame
    EXPECT_EQ(whichindex, 0);
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
