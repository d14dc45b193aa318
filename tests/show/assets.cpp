// Asset set-up on the generated data tree: the black row and column the fades rely on, the rest view. (The
// same set-up loads the tree for the data tree's tests, which check the doors found by name through how
// they open, and the menu's frames; the bar's window in the art menu is the gallery bar's test.)
#include <cstring>
#include <vector>

#include "showfixture.h"

namespace {

class Assets : public showtest::GeneratedShow {};

} // namespace

TEST_F(Assets, LoadsTheDataTreeAsTheShowNeedsIt) {
    ASSERT_NE(menuw, nullptr);
    const uint32_t *bg = reinterpret_cast<const uint32_t *>(menubgd);
    const uint32_t *am = reinterpret_cast<const uint32_t *>(artmenu);
    long lit = 0;
    for (int y = 0; y < 240; y++) {
        EXPECT_EQ(bg[y * 320 + 319], 0u) << "row " << y;
        lit += bg[y * 320 + 100] != 0;
    }
    EXPECT_GT(lit, 0) << "the background itself was read";
    for (int x = 0; x < 320; x++) EXPECT_EQ(am[x], 0u) << "column " << x;
}

TEST_F(Assets, TheFirstFrameOfATurnIsTheRestView) {
    std::memcpy(virscr, menubgd, LOWRESBYTES);
    facesortprocessmenu(menuw, virscr, 0);
    std::vector<unsigned char> turn(virscr, virscr + LOWRESBYTES);
    std::memcpy(virscr, menubgd, LOWRESBYTES);
    facesortprocessmenutobox(menuw, virscr, 0, int(menuw->numframes - 100));
    EXPECT_EQ(std::memcmp(turn.data(), virscr, LOWRESBYTES), 0);
}
