// Frame presentation: the display objects, the frame size, presenting a frame, reporting failures.
// Two variants share this header: fixed mode (showcase) and mode switching (showcase-fs).
#pragma once

#include "platform/platform.h"

extern int vesax, vesay;         // current frame size
extern const int vesaxx4;        // 1280: row pitch in bytes of the 320-pixel rendering buffers
extern const float xsize, ysize; // 160.0, 120.0: the screen centre for the renderer

extern DirectDraw *lpDD;
extern Surface *lpDDSPrimary;
extern Surface *lpDDSBack;
extern DDSURFACEDESC ddsdPrim, ddsdBack;

void initvideomode();
void switchmode(int x, int y);
void blittoscreen(const unsigned char *buffer);
// A 640 x 480 screen over the whole screen, enlarged as the frame size says: the picture view at a larger
// scale, which at scale 1 writes into the back surface itself.
void blitwholescreen(const unsigned char *buffer);
void processddrawcreaterror(unsigned code);
void processbliterror(int code);
void finiDDObjects();

// The variant's size of the window that start-up creates.
int displaywindowwidth();
int displaywindowheight();
// Fills a surface description for the primary or the back surface.
void fillprimarydesc(DDSURFACEDESC &d);
void fillbackdesc(DDSURFACEDESC &d, int width, int height);
