// The show's sequences: asset set-up, the intro, the 3D menu, the gallery, the credits and greetings and
// the exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/render.h"
#include "scene/scene.h"

struct picture {
    const char *path;
    int width;
    int height;
};

// --- assets.cpp ---
extern world *introw, *menuw;
extern world introwereld, menuwereld;
extern int objartleft, objartright;
extern unsigned char *zarnbw, *veltorbw, *eyepic, *menubgd, *artmenu, *artbalk, *credits, *greetings,
    *piconscreen;
extern picture thepics[13];
void init3dscenes();
// Every file the show reads from its data tree (music, scenes, pictures; the scenes name their texture
// maps themselves), relative to the tree and in slash form, in the order the show reads them.
const std::vector<std::string> &showdatafiles();

// --- intro.cpp ---
void runintro();

// --- menu.cpp ---
// Each draws into screen as the frame f describes (the 320 x 240 frame when none is named).
void processworldcamerayrot(world w, unsigned char *screen, int yrot, const renderframe &f = frame320);
void processworldcamerayrottobox(world w, unsigned char *screen, int yrot, int frame,
                                 const renderframe &f = frame320);
void shiftopenartmenuprocess(world w, unsigned char *screen, int shift, const renderframe &f = frame320);
void facesortprocessmenu(world *w, unsigned char *screen, int yrot, const renderframe &f = frame320);
void facesortprocessmenutobox(world *w, unsigned char *screen, int yrot, int frame,
                              const renderframe &f = frame320);
void facesortprocessexit(world *w, unsigned char *screen, int yrot, int frame,
                         const renderframe &f = frame320);
void shiftopenartmenu(world *w, unsigned char *screen, int shift, const renderframe &f = frame320);
void movemenuright();
void movemenuleft();
void movecamtobox();
void movecamfrombox();
void drawmenu();
void doselitem();

// --- gallery.cpp ---
void runartmenu();
// The bar one entry up or down (26 frames); the caller checks the limits 0 and 1200.
void artmenuup();
void artmenudown();
void artmenumove(int pos);
void showpicture();
void showpiconscreen(int ofs);
void scrollpicup();
void scrollpicdown();
void backtoartmenu(); // Escape from a picture

// --- credits.cpp: the credits and greetings screens over the fractal leaves ---
void showcredits();
void showgreetings();

// --- exit.cpp ---
void runexit();
