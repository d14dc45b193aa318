// The opening: the intro scene with two logos fading in and out, a fade to white, and the menu scene
// coming out of the white until its camera stands at the menu's rest view. Ten timed segments; each
// pass handles the waiting messages, draws unless the show is ending, and always advances.
#include <algorithm>
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "render/render.h"
#include "show/show.h"
#include "show/showint.h"
#include "state/state.h"

namespace {

enum class overlay { none, logo, white };

// One pass of a timed loop: draw a frame of w at position pos (with an overlay at a level), present it,
// lay the menu background afterwards when asked. The caller advances.
void pass(int segment, world *w, float pos, overlay ov, const unsigned char *logo, int level,
          bool menubackground) {
    if (!nomessages()) return;
    framestart();
    // A stall can push a position far; the camera table ends where the scene does.
    const int camframe = clampcamframe(w, static_cast<long>(pos));
    if (onsequencepass) onsequencepass({segment, camframe, ov == overlay::none ? -1 : level});
    facesortprocess(w, virscr, camframe, showframe);
    // A level that overshot in a stall still names an entry of the table.
    const uint32_t grey = fadenrtab[std::clamp(level, 0, 255)];
    if (ov == overlay::logo) fadeinpicture(virscr, logo, grey, showframe.scale);
    if (ov == overlay::white) fadetowhite(virscr, grey, showframe.scale);
    blittoscreen(virscr);
    if (menubackground) std::memcpy(virscr, menubgd, framebytes());
    frameend();
}

// A fade moves FADESTEP levels per scene frame that the pass advances.
float fademove(float speed) {
    return static_cast<float>(FADESTEP) * updateframecount(speed);
}

} // namespace

void (*onsequencepass)(const sequencepass &) = nullptr;

void runintro() {
    float frame = 0.0f;
    const float introend = static_cast<float>(introw->numframes - 64);
    const float menuend = static_cast<float>(menuw->numframes - 100);

    // 1: the scene alone
    do {
        pass(1, introw, frame, overlay::none, nullptr, 0, false);
        frame += updateframecount(31);
    } while (frame < 200.0f);

    // 2, 3: the first logo in and out
    fadelevel l1{1.0f};
    while (l1.level() < 250) {
        pass(2, introw, frame, overlay::logo, zarnbw, l1.level(), false);
        frame += updateframecount(31);
        l1.rise(fademove(31));
    }
    fadelevel l2{250.0f};
    do {
        pass(3, introw, frame, overlay::logo, zarnbw, l2.level(), false);
        frame += updateframecount(31);
        l2.fall(fademove(31));
    } while (l2.level() > 0);

    // 4: the scene alone
    while (frame < 900.0f) {
        pass(4, introw, frame, overlay::none, nullptr, 0, false);
        frame += updateframecount(31);
    }

    // 5, 6: the second logo in, and out from wherever it got to
    fadelevel l3{1.0f};
    do {
        pass(5, introw, frame, overlay::logo, veltorbw, l3.level(), false);
        frame += updateframecount(31);
        l3.rise(fademove(31));
    } while (l3.level() < 240);
    while (l3.level() > 0) {
        pass(6, introw, frame, overlay::logo, veltorbw, l3.level(), false);
        frame += updateframecount(31);
        l3.fall(fademove(31));
    }

    // 7: the scene alone until its last stretch
    while (frame < introend) {
        pass(7, introw, frame, overlay::none, nullptr, 0, false);
        frame += updateframecount(31);
    }

    // 8: to white
    fadelevel l4{1.0f};
    do {
        pass(8, introw, frame, overlay::white, nullptr, l4.level(), false);
        frame += updateframecount(31);
        l4.rise(fademove(31));
    } while (l4.level() < 250);

    // 9: the menu scene out of the white
    float menuframe = 0.0f;
    fadelevel l5{250.0f};
    do {
        pass(9, menuw, menuframe, overlay::white, nullptr, l5.level(), true);
        menuframe += updateframecount(60);
        l5.fall(fademove(60));
    } while (l5.level() > 0);

    // 10: the camera flies on to the menu's rest view
    while (menuframe < menuend) {
        pass(10, menuw, menuframe, overlay::none, nullptr, 0, true);
        menuframe += updateframecount(60);
    }
    waitblank = 1;
}
