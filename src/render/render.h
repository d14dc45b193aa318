// The renderer: from a scene and a camera to drawn pixels in a 320 x 240 frame with rows of 1280 bytes.
// Frame pipeline, triangle buffer and depth sort, view-volume clipping, triangle set-up, rasterisers.
#pragma once

#include <cstdint>

#include "scene/scene.h"

struct textmapclip; // one set-up triangle; its layout is the rasterisers' business (render/tribuffer.h)

// --- triangle buffer and depth sort ---
extern textmapclip *TRIBUFFER;
extern int whichtri;   // records handed out this frame
extern int whichindex; // records listed in sortedtri this frame
extern textmapclip *sortedtri[9000];
extern textmapclip *curtri;

void inittribuffer(); // prints "Initing tribuffer\n"
void qsorttribuffer(int left, int right);
// Draws the listed records of the frame in sorted order into screen (steps 3 and 4 of a frame).
void drawtribuffer(unsigned char *screen);

// --- clipping ---
void initplanes(); // prints "Initing planes\n"
extern float proj;

// --- frame pipeline ---
extern spot THESPOT; // the light of Gouraud faces
// Empties the buffer, runs the render pass for frame, sorts and draws into screen.
void facesortprocess(world *w, unsigned char *screen, int frame);
// The render pass: camera matrix, transform, queue the visible faces. Draws nothing.
void processworldcamera(world w, unsigned char *screen, int frame);
void makecameramatrix(camera c, float m[4][4]);
void backfaceprocessobject(object *o, material *materials);
long backfacecull(object *o, unsigned f);
void initnormals(object *o);
long find3dtop(object *o, long f);
char equalpoints(d3point a, d3point b);
// facesortprocess with every object first turned by yrot angle units about the world's vertical axis,
// as the menu turns its scene.
void facesortprocessyrot(world *w, unsigned char *screen, int frame, int yrot);
// Points THESPOT at the scene's first light for the current cameramatrix (zero when it has none).
void setspotfromworld(const world &w);
