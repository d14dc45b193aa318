// Inside the display: the steps both variants share.
#pragma once

#include "platform/platform.h"

bool copytobacksurface(const unsigned char *buffer);
// Sets the frame size (vesax, vesay) for a frame the show asks for as x by y: at scale 1 that size; at a
// larger scale the 3D frame's size, 320 x 240 times the scale, for both the 320 x 240 and the 640 x 480
// screens, the latter then enlarged into it.
void setframesize(int x, int y);
// The show's frame size as it last asked for it (320 x 240 until it asks).
int askedwidth();
int askedheight();
// Releases a surface if there is one and clears the pointer.
void releasesurface(Surface *&s);
void createsurfaces();
