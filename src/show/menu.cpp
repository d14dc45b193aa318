// The 3D menu: four items a quarter turn apart about the scene's vertical axis, the flight to the box
// and the doors that open on the art menu. Every animation is a plain run of frames inside a key handler.
#include <algorithm>
#include <cstring>

#include "display/display.h"
#include "effects/effects.h"
#include "math/math3d.h"
#include "render/render.h"
#include "show/show.h"
#include "show/showint.h"
#include "state/state.h"

int clampcamframe(const world *w, long frame) {
    long last = std::max(w->numframes - 1, 0L);
    return static_cast<int>(std::clamp(frame, 0L, last));
}

static void cameraat(const world &w, int frame) {
    makecameramatrix(w.campositions[clampcamframe(&w, frame)], cameramatrix);
    setspotfromworld(w);
}

void processworldcamerayrottobox(world w, unsigned char *screen, int yrot, int frame, const renderframe &f) {
    (void)screen;
    if (!w.campositions) return;
    cameraat(w, frame);
    for (int i = 0; i < w.numobjects; i++) {
        object &o = w.objects[i];
        putidentityinmatrix(o.matrix);
        addytomatrix(o.matrix, yrot & 255, sintab, costab);
        addcameratomatrix(o.matrix);
        muldestcoordswithrotmat(&o, o.matrix);
    }
    for (int i = 0; i < w.numobjects; i++) backfaceprocessobject(&w.objects[i], w.materials, f);
}

void processworldcamerayrot(world w, unsigned char *screen, int yrot, const renderframe &f) {
    processworldcamerayrottobox(w, screen, yrot, w.numframes - 100, f);
}

static void processdoor(world &w, int index, float shift, const renderframe &f) {
    if (index < 0 || index >= w.numobjects) return; // a scene without doors has nothing to slide
    object &o = w.objects[index];
    putidentityinmatrix(o.matrix);
    o.matrix[0][3] += shift;
    addcameratomatrix(o.matrix);
    muldestcoordswithrotmat(&o, o.matrix);
    backfaceprocessobject(&o, w.materials, f);
}

void shiftopenartmenuprocess(world w, unsigned char *screen, int shift, const renderframe &f) {
    (void)screen;
    if (!w.campositions) return;
    cameraat(w, w.numframes - 1);
    processdoor(w, objartleft, static_cast<float>(-shift), f);
    processdoor(w, objartright, static_cast<float>(shift), f);
}

static void emptytribuffer() {
    whichtri = 0;
    whichindex = 0;
}

static void sortanddraw(unsigned char *screen, const renderframe &f) {
    if (whichindex > 0) qsorttribuffer(0, whichindex - 1);
    drawtribuffer(screen, f);
}

void facesortprocessmenu(world *w, unsigned char *screen, int yrot, const renderframe &f) {
    emptytribuffer();
    processworldcamerayrot(*w, screen, yrot, f);
    sortanddraw(screen, f);
}

void facesortprocessmenutobox(world *w, unsigned char *screen, int yrot, int frame, const renderframe &f) {
    emptytribuffer();
    processworldcamerayrottobox(*w, screen, yrot, frame, f);
    sortanddraw(screen, f);
}

void facesortprocessexit(world *w, unsigned char *screen, int yrot, int frame, const renderframe &f) {
    facesortprocessmenutobox(w, screen, yrot, frame, f);
}

void shiftopenartmenu(world *w, unsigned char *screen, int shift, const renderframe &f) {
    emptytribuffer();
    shiftopenartmenuprocess(*w, screen, shift, f);
    sortanddraw(screen, f);
}

void boxframe(int frame, const unsigned char *background) {
    facesortprocessmenutobox(menuw, virscr, menurotpos, frame, showframe);
    blittoscreen(virscr);
    if (background) std::memcpy(virscr, background, framebytes());
}

static void turnmenu(int step) {
    const unsigned char p = menurotpos;
    for (int i = 0; i <= 16; i++) {
        facesortprocessmenu(menuw, virscr, static_cast<unsigned char>(p + step * i), showframe);
        blittoscreen(virscr);
        std::memcpy(virscr, menubgd, framebytes());
    }
    menurotpos = static_cast<unsigned char>(p + step * 16);
}

void movemenuright() {
    turnmenu(4);
    menucursel = (menucursel + 1) % 4;
}

void movemenuleft() {
    turnmenu(-4);
    menucursel = (menucursel + 3) % 4;
}

static void doorframe(int shift) {
    shiftopenartmenu(menuw, virscr, shift, showframe);
    blittoscreen(virscr);
    std::memcpy(virscr, artmenu, framebytes());
}

void movecamtobox() {
    const long n = menuw->numframes;
    for (int k = 100; k >= 4; k -= 4) boxframe(static_cast<int>(n - k), menubgd);
    for (int shift = 0; shift < 100; shift++) doorframe(shift);
}

void movecamfrombox() {
    const long n = menuw->numframes;
    for (int shift = 100; shift >= 1; shift--) doorframe(shift);
    std::memcpy(virscr, menubgd, framebytes());
    for (int k = 1; k <= 97; k += 4) boxframe(static_cast<int>(n - k), menubgd);
}

void drawmenu() {
    std::memcpy(virscr, menubgd, framebytes());
    boxframe(static_cast<int>(menuw->numframes - 100), nullptr);
}

void doselitem() {
    // Enter while the exit sequence runs would start the show over inside its own ending.
    if (exitinprogress()) return;
    switch (menucursel) {
    case 0:
        movecamtobox();
        whichpart = PART_ARTMENU;
        waitblank = 1;
        runartmenu();
        break;
    case 1:
        whichpart = PART_CREDITS;
        SHOWCREDITS = 1;
        showcredits();
        break;
    case 2:
        whichpart = PART_GREETINGS;
        SHOWGREETINGS = 1;
        showgreetings();
        break;
    case 3:
        runexit();
        break;
    }
}
