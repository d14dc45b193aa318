// The end of the show: the camera flies back out of the menu, the picture fades to white, the eye comes
// out of the white, the music fades to silence, and music and display are released.
#include <algorithm>
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "platform/music.h"
#include "show/show.h"
#include "show/showint.h"
#include "state/state.h"

static bool exitrunning = false;

bool exitinprogress() {
    return exitrunning;
}

// A box frame at the falling camera position; below frame 0 the camera stays at frame 0.
static void flyframe(int segment, float f, int white) {
    const int camframe = clampcamframe(menuw, static_cast<long>(f));
    if (onsequencepass) onsequencepass({segment, camframe, white});
    facesortprocessexit(menuw, virscr, menurotpos, camframe, showframe);
    if (white >= 0) fadetowhite(virscr, fadenrtab[std::clamp(white, 0, 255)], showframe.scale);
    blittoscreen(virscr);
    std::memcpy(virscr, menubgd, framebytes());
}

void runexit() {
    if (exitrunning) return; // a second Enter must not release music and display twice
    exitrunning = true;

    float f = static_cast<float>(menuw->numframes - 100);

    // 1: fly out
    if (f > 200.0f) {
        do {
            if (nomessages()) {
                framestart();
                flyframe(1, f, -1);
                frameend();
            }
            f -= updateframecount(120);
        } while (f > 200.0f);
    }

    // 2: to white while still flying back
    fadelevel l{0.0f};
    while (l.level() < 250) {
        if (nomessages()) {
            framestart();
            flyframe(2, f, l.level());
            frameend();
        }
        f -= updateframecount(120);
        l.rise(static_cast<float>(FADESTEP) * updateframecount(120) * 0.5f);
    }

    // 3: the eye out of the white
    fadelevel e{255.0f};
    do {
        if (nomessages()) {
            framestart();
            if (onsequencepass) onsequencepass({3, -1, e.level()});
            std::memcpy(virscr, eyepic, framebytes());
            fadetowhite(virscr, fadenrtab[std::clamp(e.level(), 0, 255)], showframe.scale);
            blittoscreen(virscr);
            frameend();
        }
        e.fall(updateframecount(120));
    } while (e.level() > 0);

    // 4: the music fades out over the last eye frame; frame times are no longer measured
    waitblank = 1;
    float t = 0.0f;
    int v = 40;
    do {
        if (nomessages()) {
            if (v <= 0) v = 0;
            if (onsequencepass) onsequencepass({4, -1, v});
            setmusicvolume(v);
            blittoscreen(virscr);
        }
        t += updateframecount(31);
        v = 40 - (static_cast<int>(t) >> 2);
    } while (t < 200.0f);

    // 5: release. A window closed meanwhile has already released the music.
    if (!QUIT) {
        setmusicvolume(0);
        stopmidas();
    }
    finiDDObjects();
    QUIT = 1;
    ShowCursor(true);
    PostQuitMessage(0);
    exitrunning = false; // from here QUIT keeps every key away
}
