// Everything the show displays is loaded here, once, before the first frame.
#include <cstring>
#include <string>
#include <vector>

#include "effects/effects.h"
#include "image/image.h"
#include "math/math3d.h"
#include "render/render.h"
#include "show/show.h"
#include "show/showint.h"
#include "state/state.h"

world *introw = nullptr, *menuw = nullptr;
world introwereld, menuwereld;
renderframe showframe = makerenderframe(1);
int objartleft = 0, objartright = 0;
unsigned char *zarnbw, *veltorbw, *eyepic, *menubgd, *artmenu, *artbalk, *credits, *greetings, *piconscreen;
picture thepics[13];

static constexpr long ARTBALKBYTES = 100 * 1600 * 4;
static constexpr long PICBYTES = 640 * 1000 * 4;

static const picture gallerytable[13] = {
    {".\\gfx\\morlen\\mw-tolve.jpg", 640, 480},   {".\\gfx\\morlen\\mw-brask.jpg", 640, 480},
    {".\\gfx\\morlen\\mw-kindel2.jpg", 640, 480}, {".\\gfx\\morlen\\mw-ospar.jpg", 640, 480},
    {".\\gfx\\morlen\\mw-feldt.jpg", 640, 480},   {".\\gfx\\tasp\\vornig.jpg", 640, 960},
    {".\\gfx\\tasp\\plessa.jpg", 640, 480},       {".\\gfx\\tasp\\durnet.jpg", 640, 480},
    {".\\gfx\\tasp\\halde.jpg", 640, 480},        {".\\gfx\\tasp\\grumol.jpg", 600, 800},
    {".\\gfx\\wevold\\mirk4.jpg", 640, 480},      {".\\gfx\\wevold\\tosel2.jpg", 640, 480},
    {".\\gfx\\wevold\\quendra3.jpg", 640, 480},
};

const std::vector<std::string> &showdatafiles() {
    // In the order the show reads them: the module when the window opens, the scenes and pictures of
    // init3dscenes, then the gallery pictures as they are opened.
    static const std::vector<std::string> files = [] {
        std::vector<std::string> f = {"music/velun.xm",  "gfx/intro.3DS",   "gfx/veltor.bmp",
                                      "gfx/zarn.bmp",    "gfx/eye.jpg",     "gfx/menu.3DS",
                                      "gfx/menubgd.jpg", "gfx/artmenu.jpg", "gfx/artbalk.bmp",
                                      "gfx/credits.jpg", "gfx/greets.jpg"};
        for (const picture &p : gallerytable) {
            std::string name = p.path + 2; // without the leading ".\"
            for (char &c : name)
                if (c == '\\') c = '/';
            f.push_back(name);
        }
        return f;
    }();
    return files;
}

static void prepareobjects(world *w) {
    for (int i = 0; i < w->numobjects; i++) {
        putidentityinmatrix(w->objects[i].matrix);
        initnormals(&w->objects[i]);
    }
}

static unsigned char *newpicture(long bytes) {
    return static_cast<unsigned char *>(mymalloc(bytes, 4));
}

// A picture drawn over or under the 3D frame, read at its own size and enlarged once by whole multiples
// to the frame's scale. The block it was read into stays, as every block does.
static unsigned char *toframescale(unsigned char *p, int width, int height) {
    const int k = showframe.scale;
    if (k == 1) return p;
    unsigned char *large = newpicture(long(width) * height * 4 * k * k);
    enlargepicture(p, width, height, large, k);
    return large;
}

void init3dscenes() {
    introw = read3ds(".\\gfx\\intro.3DS");
    introwereld = *introw;
    prepareobjects(introw);

    showframe = makerenderframe(showscale);
    zarnbw = newpicture(LOWRESBYTES);
    veltorbw = newpicture(LOWRESBYTES);
    eyepic = newpicture(LOWRESBYTES);
    readbmp32(".\\gfx\\veltor.bmp", 0, 0, veltorbw, LOWRESBYTES);
    readbmp32(".\\gfx\\zarn.bmp", 0, 0, zarnbw, LOWRESBYTES);
    readjpg(".\\gfx\\eye.jpg", eyepic, LOWRESBYTES);
    veltorbw = toframescale(veltorbw, 320, 240);
    zarnbw = toframescale(zarnbw, 320, 240);
    eyepic = toframescale(eyepic, 320, 240);

    fillfadenrtab();

    menuw = read3ds(".\\gfx\\menu.3DS");
    menuwereld = *menuw;
    objartleft = objartright = 0;
    for (int i = 0; i < menuw->numobjects; i++) {
        object &o = menuw->objects[i];
        putidentityinmatrix(o.matrix);
        initnormals(&o);
        if (o.name && std::strcmp(o.name, "art-left") == 0) objartleft = i;
        if (o.name && std::strcmp(o.name, "art-right") == 0) objartright = i;
    }

    // The last column of the background and the first row of the art menu are kept black: the fades
    // to white leave exactly that row and column alone.
    menubgd = newpicture(LOWRESBYTES);
    readjpg(".\\gfx\\menubgd.jpg", menubgd, LOWRESBYTES);
    uint32_t *bg = reinterpret_cast<uint32_t *>(menubgd);
    for (int y = 0; y < 240; y++) bg[y * 320 + 319] = 0;
    menubgd = toframescale(menubgd, 320, 240);

    artmenu = newpicture(LOWRESBYTES);
    readjpg(".\\gfx\\artmenu.jpg", artmenu, LOWRESBYTES);
    std::memset(artmenu, 0, 320 * 4);
    artmenu = toframescale(artmenu, 320, 240);

    // The bar is enlarged with the art menu it is copied into.
    artbalk = newpicture(ARTBALKBYTES);
    readbmp32(".\\gfx\\artbalk.bmp", 0, 0, artbalk, ARTBALKBYTES);
    artbalk = toframescale(artbalk, 100, 1600);
    artmenumove(0);

    credits = newpicture(HIRESBYTES);
    greetings = newpicture(HIRESBYTES);
    readjpg(".\\gfx\\credits.jpg", credits, HIRESBYTES);
    readjpg(".\\gfx\\greets.jpg", greetings, HIRESBYTES);

    piconscreen = newpicture(PICBYTES);

    for (int i = 0; i < 13; i++) thepics[i] = gallerytable[i];
}
