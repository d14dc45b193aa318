// 2D effects over 32-bit frame buffers: fades and blends, the fractal leaves and their particles.
#pragma once

#include <cstdint>

// --- fades and blends (320 x 240 buffers, or those enlarged scale times: every size below times scale) ---
extern uint32_t fadenrtab[256]; // entry k = k x 0x010101
extern const int FADESTEP;      // 4
void fillfadenrtab();
// dest += src AND mask, per byte with saturation, all 76,800 pixels.
void fadeinpicture(unsigned char *dest, const unsigned char *src, uint32_t mask, int scale = 1);
// buf += add, per byte with saturation, rows 1..239, columns 0..318.
void fadetowhite(unsigned char *buf, uint32_t add, int scale = 1);
// The selection box of the artists' bar (100 pixels a row) at srcrow, glowing red by glow (0..127).
void hilightselection(int glow, unsigned char *dest, const unsigned char *src, int srcrow, int scale = 1);
// src (width x height) into dest with each pixel a scale x scale block, no smoothing. destpitch: bytes
// from one row of dest to the next (0: the enlarged width, rows back to back).
void enlargepicture(const unsigned char *src, int width, int height, unsigned char *dest, int scale,
                    long destpitch = 0);

// --- fractal leaves and particles (640 x 480 buffers) ---
extern float x[6], xd[6], xdd[6], xddd[6], sx[6];
extern int blurfac;
extern int plotpixel5[4][4]; // the dot: 4 x 4 white pixels
void initleaves();
void moveleaves();
void drawleaves(unsigned char *particles, unsigned char *screen, const unsigned char *picture, int frame);
void play(unsigned char *particles, unsigned char *screen, const unsigned char *picture, int frame);
void genfractal(float x, float y, float angle, float length, int depth, int type, int *buffer);
void plotpic(unsigned char *particles, unsigned char *screen, const unsigned char *picture);
void plot(uint32_t *dest, const uint32_t *sprite);
void motionblur(unsigned char *buffer, uint32_t amount);
void mergepicandparticles(const unsigned char *particles, unsigned char *dest, const unsigned char *picture);
// The show's pseudo-random generator (never seeded): the runtime's rand, 0..32767.
int showrand();
