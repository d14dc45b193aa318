// The renderer: from a scene and a camera to drawn pixels in a 320 x 240 frame with rows of 1280 bytes, or
// in the same frame N times larger. Frame pipeline, triangle buffer and depth sort, view-volume clipping,
// triangle set-up, rasterisers.
#pragma once

#include <cstdint>

#include "scene/scene.h"

struct textmapclip; // one set-up triangle; its layout is the rasterisers' business (render/tribuffer.h)

// A plane of the view volume: a point is inside when a*x + b*y + c*z + d is negative.
struct plane {
    float a, b, c, d;
};

// The frame a scene is drawn into and the view volume that fills it. Scale 1 is the 320 x 240 frame with
// rows of 1280 bytes; scale N draws the same view into 320N x 240N pixels, with the projection, the
// screen centre and the side planes worked out for that size (makerenderframe).
struct renderframe {
    int scale;
    int width, height;
    long pitch;         // bytes from one row to the next
    float proj;         // distance of the projection plane, in pixels
    float xsize, ysize; // where the line of sight meets the frame
    plane voor, achter, boven, onder, links, rechts;
};
constexpr int MAXSCALE = 8;
// The frame and view volume for scale 1 to MAXSCALE (others are taken as the nearest). Scale 1 gives
// exactly what initplanes sets up.
renderframe makerenderframe(int scale);
// The 320 x 240 frame, with its view volume once initplanes has run: what the entry points below draw
// into when no frame is named.
extern renderframe frame320;

// --- triangle buffer and depth sort ---
extern textmapclip *TRIBUFFER;
extern int whichtri;   // records handed out this frame
extern int whichindex; // records listed in sortedtri this frame
extern textmapclip *sortedtri[9000];
extern textmapclip *curtri;

void inittribuffer(); // prints "Initing tribuffer\n"
void qsorttribuffer(int left, int right);
// Draws the listed records of the frame in sorted order into screen (steps 3 and 4 of a frame).
void drawtribuffer(unsigned char *screen, const renderframe &f = frame320);

// --- clipping ---
void initplanes(); // prints "Initing planes\n"; sets frame320's view volume and the globals below
extern float proj;

// --- frame pipeline ---
extern spot THESPOT; // the light of Gouraud faces
// Empties the buffer, runs the render pass for frame, sorts and draws into screen.
void facesortprocess(world *w, unsigned char *screen, int frame, const renderframe &f = frame320);
// The render pass: camera matrix, transform, queue the visible faces. Draws nothing.
void processworldcamera(world w, unsigned char *screen, int frame, const renderframe &f = frame320);
void makecameramatrix(camera c, float m[4][4]);
void backfaceprocessobject(object *o, material *materials, const renderframe &f = frame320);
long backfacecull(object *o, unsigned f);
void initnormals(object *o);
long find3dtop(object *o, long f);
char equalpoints(d3point a, d3point b);
// facesortprocess with every object first turned by yrot angle units about the world's vertical axis,
// as the menu turns its scene.
void facesortprocessyrot(world *w, unsigned char *screen, int frame, int yrot,
                         const renderframe &f = frame320);
// Points THESPOT at the scene's first light for the current cameramatrix (zero when it has none).
void setspotfromworld(const world &w);
