// Inside the display: the steps both variants share.
#pragma once

#include "platform/platform.h"

bool copytobacksurface(const unsigned char *buffer);
// Releases a surface if there is one and clears the pointer.
void releasesurface(Surface *&s);
void createsurfaces();
