// Asset set-up on the generated data tree: the doors found by name, the black row and column the fades
// rely on, the bar's top window pasted into the art menu, the gallery table.
#include <unistd.h>

#include <filesystem>

#include "showfixture.h"

namespace {

class Assets : public showtest::GeneratedShow {};

} // namespace

TEST_F(Assets, LoadsTheDataTreeAsTheShowNeedsIt) {
    ASSERT_NE(menuw, nullptr);
    EXPECT_EQ(menuwereld.objects, menuw->objects) << "the copy shares the scene's arrays";
    EXPECT_STREQ(menuw->objects[objartleft].name, "art-left");
    EXPECT_STREQ(menuw->objects[objartright].name, "art-right");
    EXPECT_GE(menuw->numframes, 100);

    const uint32_t *bg = reinterpret_cast<const uint32_t *>(menubgd);
    const uint32_t *am = reinterpret_cast<const uint32_t *>(artmenu);
    const uint32_t *bar = reinterpret_cast<const uint32_t *>(artbalk);
    long lit = 0;
    for (int y = 0; y < 240; y++) {
        EXPECT_EQ(bg[y * 320 + 319], 0u) << "row " << y;
        lit += bg[y * 320 + 100] != 0;
    }
    EXPECT_GT(lit, 0) << "the background itself was read";
    for (int x = 0; x < 320; x++) EXPECT_EQ(am[x], 0u) << "column " << x;
    for (int y = 1; y < 240; y++)
        for (int x = 0; x < 100; x++) ASSERT_EQ(am[y * 320 + 20 + x], bar[y * 100 + x]) << y << "," << x;

    EXPECT_STREQ(thepics[5].path, ".\\gfx\\tasp\\vornig.jpg");
    EXPECT_EQ(thepics[5].height, 960);
    EXPECT_EQ(thepics[9].width, 600);
    EXPECT_EQ(thepics[9].height, 800);
}

TEST_F(Assets, DoorsSlideApartOverTheArtMenu) {
    // Closed doors hide the art menu's middle; fully open ones show it.
    const uint32_t artmiddle = reinterpret_cast<const uint32_t *>(artmenu)[120 * 320 + 160];
    for (int frame : {0, 100}) {
        std::memcpy(virscr, artmenu, LOWRESBYTES);
        shiftopenartmenu(menuw, virscr, frame);
        EXPECT_EQ(reinterpret_cast<const uint32_t *>(virscr)[120 * 320 + 160] == artmiddle, frame == 100);
    }
    // The first frame of a turn is the rest view.
    std::memcpy(virscr, menubgd, LOWRESBYTES);
    facesortprocessmenu(menuw, virscr, 0);
    std::vector<unsigned char> turn(virscr, virscr + LOWRESBYTES);
    std::memcpy(virscr, menubgd, LOWRESBYTES);
    facesortprocessmenutobox(menuw, virscr, 0, int(menuw->numframes - 100));
    EXPECT_EQ(std::memcmp(turn.data(), virscr, LOWRESBYTES), 0);
}
