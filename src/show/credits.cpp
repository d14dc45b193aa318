// The credits and greetings screens: a 640 x 480 picture revealed through the fractal leaves until
// Escape clears the screen's flag (or the show ends).
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "show/show.h"
#include "show/showint.h"
#include "state/state.h"

static void runleavesscreen(const unsigned char *pic, const char &running) {
    // The camera rushes towards the box, four times as fast as the gallery's flight.
    for (int k = 100; k >= 4; k -= 16) boxframe(static_cast<int>(menuw->numframes - k), menubgd);
    switchmode(640, 480);
    initleaves();
    // Only the leaf state matters after this; the plots are thrown away below.
    for (int i = 0; i < 100; i++) {
        moveleaves();
        drawleaves(virscr, virscr2, pic, 0);
    }
    std::memset(virscr, 0, HIRESBYTES);
    std::memset(virscr2, 0, HIRESBYTES);
    std::memcpy(virscr, pic, HIRESBYTES); // the particle buffer starts as the picture itself
    int n = 0;
    while (running && !QUIT) {
        if (pumpmessage()) continue;
        moveleaves();
        drawleaves(virscr, virscr2, pic, n);
        n++;
    }
}

void showcredits() {
    runleavesscreen(credits, SHOWCREDITS);
}
void showgreetings() {
    runleavesscreen(greetings, SHOWGREETINGS);
}
