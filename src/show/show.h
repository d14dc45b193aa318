// The show's sequences: asset set-up, the intro, the 3D menu, the gallery, the credits and greetings and
// the exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
void processworldcamerayrot(world w, unsigned char *screen, int yrot);
void processworldcamerayrottobox(world w, unsigned char *screen, int yrot, int frame);
void shiftopenartmenuprocess(world w, unsigned char *screen, int shift);
void facesortprocessmenu(world *w, unsigned char *screen, int yrot);
void facesortprocessmenutobox(world *w, unsigned char *screen, int yrot, int frame);
void facesortprocessexit(world *w, unsigned char *screen, int yrot, int frame);
void shiftopenartmenu(world *w, unsigned char *screen, int shift);
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
