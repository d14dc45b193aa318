// Inside the display: the steps both variants share.
#pragma once

bool copytobacksurface(const unsigned char *buffer);
void createsurfaces();
